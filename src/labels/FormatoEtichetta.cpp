#include "labels/FormatoEtichetta.h"

#include "core/Database.h"

#include <QSqlError>
#include <QSqlRecord>
#include <cmath>

namespace Formato {
namespace {

const QString kModulo = QStringLiteral("frmConfiguraLabel");

// Column names of each text element: position suffix and font suffix.
struct Colonne
{
    const char* posizione;
    const char* font;
};
constexpr std::array<Colonne, kElementiTesto> kColonne = {{
    {"Peso", "P"},
    {"CodFornitura", "CF"},
    {"Cliente", "C"},
    {"Fornitura", "F"},
    {"BC", "BC"},
}};

QString col(const char* prefisso, const char* suffisso)
{
    return QLatin1String(prefisso) + QLatin1String(suffisso);
}

// A column's whole number, or nothing when Null, missing or not a number.
std::optional<qint64> intero(const QSqlRecord& r, const QString& nome)
{
    const int i = r.indexOf(nome);
    if (i < 0 || r.isNull(i))
        return std::nullopt;
    bool ok = false;
    const double v = r.value(i).toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 4e9)
        return std::nullopt;
    return qint64(std::llround(v));
}

void posizione(const QSqlRecord& r, const char* suffisso, QPoint& p)
{
    // The X column holds the Top and the Y column the Left.
    if (const auto top = intero(r, col("X", suffisso)); top && std::llabs(*top) < 1000000)
        p.setY(int(*top));
    if (const auto left = intero(r, col("Y", suffisso)); left && std::llabs(*left) < 1000000)
        p.setX(int(*left));
}

void font(const QSqlRecord& r, const char* s, FontEtichetta& f)
{
    const int iNome = r.indexOf(col("Font", s));
    if (iNome >= 0 && !r.isNull(iNome) && !r.value(iNome).toString().isEmpty())
        f.nome = r.value(iNome).toString();
    if (const auto v = intero(r, col("FontSize", s)); v && *v > 0 && *v <= 1638)
        f.dimensione = double(*v);
    if (const auto v = intero(r, col("Bold", s)))
        f.grassetto = *v == -1;
    if (const auto v = intero(r, col("Italic", s)))
        f.corsivo = *v == -1;
    if (const auto v = intero(r, col("Under", s)))
        f.sottolineato = *v == -1;
    if (const auto v = intero(r, col("Color", s)))
        f.colore = VbColor(quint32(qint32(*v))); // stored signed: a system colour reads back as one
}

int flag(bool b)
{
    return b ? -1 : 0;
}

} // namespace

FormatoEtichetta progetto()
{
    FormatoEtichetta f;
    f.posizione[eliPrezzoKg] = {960, 120};
    f.posizione[eliPrezzo] = {960, 480};
    f.posizione[eliDescrizione] = {960, 840};
    f.posizione[eliBarcode] = {960, 1200};
    f.posizione[eliAttivita] = {240, 1680};
    f.posizioneIcona = {0, 0};
    return f;
}

Esito carica(FormatoEtichetta& f)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT * FROM FormatoEtichetta"));
    if (!q.isActive()) {
        const Esito e = Esito::fallito(VbErr::DatabaseError, q.lastError().text());
        ScriviErrore(kModulo, QStringLiteral("CaricaFormatoEtichetta"), e);
        return e;
    }
    if (!q.next())
        return Esito::riuscito();
    const QSqlRecord r = q.record();
    if (const auto v = intero(r, QStringLiteral("NumCol")); v && *v >= 0 && *v <= 255)
        f.numCol = int(*v);
    if (const auto v = intero(r, QStringLiteral("NumRow")); v && *v >= 0 && *v <= 255)
        f.numRow = int(*v);
    for (int i = 0; i < kElementiTesto; ++i) {
        posizione(r, kColonne[i].posizione, f.posizione[i]);
        font(r, kColonne[i].font, f.font[i]);
    }
    posizione(r, "Picture", f.posizioneIcona);
    return Esito::riuscito();
}

Esito salva(const FormatoEtichetta& f)
{
    QStringList assegna;
    QVariantList valori;
    auto metti = [&](const QString& colonna, const QVariant& v) {
        assegna << colonna + QStringLiteral(" = ?");
        valori << v;
    };
    metti(QStringLiteral("NumCol"), f.numCol);
    metti(QStringLiteral("NumRow"), f.numRow);
    for (int i = 0; i < kElementiTesto; ++i) {
        metti(col("X", kColonne[i].posizione), f.posizione[i].y());
        metti(col("Y", kColonne[i].posizione), f.posizione[i].x());
    }
    metti(QStringLiteral("XPicture"), f.posizioneIcona.y());
    metti(QStringLiteral("YPicture"), f.posizioneIcona.x());
    for (int i = 0; i < kElementiTesto; ++i) {
        const FontEtichetta& t = f.font[i];
        const char* s = kColonne[i].font;
        metti(col("Font", s), t.nome);
        metti(col("FontSize", s), qint64(std::nearbyint(t.dimensione)));
        metti(col("Bold", s), flag(t.grassetto));
        metti(col("Italic", s), flag(t.corsivo));
        metti(col("Under", s), flag(t.sottolineato));
        metti(col("Color", s), qint64(qint32(quint32(t.colore))));
    }

    QString errore;
    Db::Transaction tr;
    bool ok = tr.ok();
    if (ok) {
        const Letto<QVariant> righe = Db::valore(QStringLiteral("SELECT COUNT(*) FROM FormatoEtichetta"));
        ok = righe.ok;
        if (!ok)
            errore = righe.errore;
        else if (!righe.valore || righe.valore->toInt() == 0)
            ok = Db::exec(QStringLiteral("INSERT INTO FormatoEtichetta (NumCol) VALUES (0)"), {}, &errore);
    } else {
        errore = tr.errore();
    }
    ok = ok &&
         Db::exec(QStringLiteral("UPDATE FormatoEtichetta SET ") + assegna.join(QStringLiteral(", ")), valori, &errore);
    if (ok && !tr.commit()) {
        ok = false;
        errore = tr.errore();
    }
    if (!ok) {
        const Esito e = Esito::fallito(VbErr::DatabaseError, errore);
        ScriviErrore(kModulo, QStringLiteral("cmdSalva_Click"), e);
        return e;
    }
    return Esito::riuscito();
}

} // namespace Formato
