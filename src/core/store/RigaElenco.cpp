#include "core/store/RigaElenco.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/VbConvert.h"

#include <charconv>
#include <cmath>

namespace Articoli {

namespace {

constexpr qint64 kPow10_15 = 1000000000000000LL;

// The listed columns, in the order of ArticoloElencato's fields.
const QStringList& nomiColonne()
{
    static const QStringList n = {
        QStringLiteral("CodMateriale"),  QStringLiteral("Descrizione"),
        QStringLiteral("Genere"),        QStringLiteral("Quantità"),
        QStringLiteral("Minimo"),        QStringLiteral("UnitaMisura"),
        QStringLiteral("Costo"),         QStringLiteral("Fornitore"),
        QStringLiteral("Taglia"),        QStringLiteral("Colore"),
        QStringLiteral("TipoMateriale"), QStringLiteral("BarCode"),
        QStringLiteral("Costo2"),        QStringLiteral("CodProdottoFornitore"),
        QStringLiteral("CodPV"),         QStringLiteral("Modificato"),
    };
    return n;
}

QVariant ArticoloElencato::*const kCampi[] = {
    &ArticoloElencato::codMateriale,  &ArticoloElencato::descrizione,
    &ArticoloElencato::genere,        &ArticoloElencato::quantita,
    &ArticoloElencato::minimo,        &ArticoloElencato::unitaMisura,
    &ArticoloElencato::costo,         &ArticoloElencato::fornitore,
    &ArticoloElencato::taglia,        &ArticoloElencato::colore,
    &ArticoloElencato::tipoMateriale, &ArticoloElencato::barCode,
    &ArticoloElencato::costo2,        &ArticoloElencato::codProdottoFornitore,
    &ArticoloElencato::codPV,         &ArticoloElencato::modificato,
};

QString testo(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// A number as Vb::money wrote it ("1.234,56", "-0,50") read back; a list reads its own texts
// thousands of times per load, so this skips the general Italian parser.
double lettoDaImporto(const QString& testo)
{
    char buf[64];
    int n = 0;
    for (QChar ch : testo) {
        if (n >= int(sizeof(buf)) - 1)
            break;
        const char16_t u = ch.unicode();
        if (u == u'.')
            continue;
        buf[n++] = u == u',' ? '.' : char(u);
    }
    double v = 0;
    std::from_chars(buf, buf + n, v); // locale-independent, unlike strtod
    return v;
}

} // namespace

Numero leggiNumero(const QVariant& v, double& out)
{
    if (!v.isValid() || v.isNull())
        return Numero::Null;
    switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        out = v.toDouble();
        return Numero::Ok;
    default:
        break;
    }
    if (const auto d = Vb::cdbl(v.toString())) {
        out = *d;
        return Numero::Ok;
    }
    return Numero::NonNumero;
}

std::optional<double> numeroMostrato(const QVariant& v)
{
    // The list's two-decimal text read back: rounded half away from zero; an infinite value
    // shows no text.
    double d = 0;
    if (leggiNumero(v, d) != Numero::Ok || !std::isfinite(d))
        return std::nullopt;
    return Vb::roundHalfAway(d, 2);
}

ColonneElenco::ColonneElenco(const QSqlRecord& r) : m_eliminato(r.indexOf(QStringLiteral("Eliminato")))
{
    for (const QString& nome : nomiColonne()) {
        const int i = r.indexOf(nome);
        m_indici << i;
        if (i < 0)
            m_mancanti << nome;
    }
}

ArticoloElencato ColonneElenco::leggi(const QSqlQuery& q) const
{
    ArticoloElencato a;
    for (int c = 0; c < m_indici.size(); ++c)
        if (m_indici.at(c) >= 0)
            a.*kCampi[c] = q.value(m_indici.at(c));
    a.mancanti = m_mancanti;
    return a;
}

std::optional<double> valoreRicarico(double s, double c, const QVariant& codPV, bool* fallito)
{
    *fallito = false;
    if (c == 0)
        return std::nullopt;
    double iva = 0;
    if (leggiNumero(codPV, iva) != Numero::Ok) {
        // Without a VAT rate there is no price with VAT to compare with.
        *fallito = true;
        return std::nullopt;
    }
    const double conIva = Vb::roundHalfAway(c + (c * iva) / 100, 2);
    if (conIva == 0) {
        *fallito = true;
        return 0.0;
    }
    // Shown through its 15-digit text with two decimals; the same rounding as Vb::money.
    return ((s - conIva) * 100) / conIva;
}

QString FormatoElenco::nomeReparto(int cod)
{
    if (!m_repartiLetti) {
        m_repartiLetti = true;
        // Unread names show as their codes; the caller learns it from erroreReparti().
        const Letto<QList<Reparto>> reparti = Articoli::reparti();
        if (!reparti.ok)
            m_erroreReparti = reparti.errore;
        else
            for (const Reparto& r : *reparti.valore)
                m_reparti.insert(r.cod, r.descrizione);
    }
    const auto it = m_reparti.constFind(cod);
    return it == m_reparti.constEnd() ? QString::number(cod) : it.value();
}

QString FormatoElenco::testoNumero(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::LongLong:
    case QMetaType::Int: {
        // A whole number of up to 15 digits is its digits, as CStr writes it; codes are unique
        // per row, so they skip the general path.
        const qint64 n = v.toLongLong();
        if (n > -kPow10_15 && n < kPow10_15)
            return QString::number(n);
        break;
    }
    case QMetaType::QString:
        return v.toString();
    default:
        break;
    }
    double d = 0;
    if (leggiNumero(v, d) != Numero::Ok)
        return v.toString();
    auto it = m_numeri.constFind(d);
    if (it == m_numeri.constEnd())
        it = m_numeri.insert(d, Vb::cstr(d));
    return it.value();
}

std::optional<QString> FormatoElenco::testoReparto(const QVariant& genere)
{
    double d = 0;
    if (leggiNumero(genere, d) != Numero::Ok)
        return genere.toString();
    if (const auto rep = Vb::cint(d))
        return nomeReparto(*rep);
    return std::nullopt;
}

QString FormatoElenco::importo(double d)
{
    // Quantities, minimums and prices repeat a lot within one list: each text is formatted once.
    if (!std::isfinite(d))
        return Vb::money(d);
    auto it = m_importi.constFind(d);
    if (it == m_importi.constEnd())
        it = m_importi.insert(d, Vb::money(d));
    return it.value();
}

ArticoloMostrato FormatoElenco::mostra(const ArticoloElencato& a)
{
    ArticoloMostrato m;
    TestiArticolo& t = m.testi;
    auto anomalia = [&m](VbErr e, const QString& dettaglio) { m.anomalie.append({e, dettaglio}); };
    auto campo = [&](const QVariant& v, const QString& nome) {
        if (a.mancanti.contains(nome)) {
            anomalia(VbErr::DatabaseError, QStringLiteral("colonna mancante ") + nome);
            return QVariant();
        }
        return v;
    };
    auto dueDecimali = [&](const QVariant& v, const QString& nome) {
        double d = 0;
        switch (leggiNumero(v, d)) {
        case Numero::Ok:
            return importo(d);
        case Numero::Null:
            anomalia(VbErr::InvalidUseOfNull, nome);
            break;
        case Numero::NonNumero:
            anomalia(VbErr::TypeMismatch, nome);
            break;
        }
        return QString();
    };

    const QVariant cod = campo(a.codMateriale, QStringLiteral("CodMateriale"));
    if (cod.isNull())
        anomalia(VbErr::InvalidUseOfNull, QStringLiteral("CodMateriale"));
    else
        t.codice = testoNumero(cod);

    const QVariant descr = campo(a.descrizione, QStringLiteral("Descrizione"));
    t.descrizione = descr.isNull() ? QStringLiteral(" ") : descr.toString();

    if (const QVariant genere = campo(a.genere, QStringLiteral("Genere")); !genere.isNull()) {
        std::optional<QString> reparto;
        if (genere.metaType().id() == QMetaType::QString) {
            // Stored as text, a department repeats on many rows: read as a number once per text.
            const QString chiave = genere.toString();
            auto it = m_repartiDaTesto.constFind(chiave);
            if (it == m_repartiDaTesto.constEnd())
                it = m_repartiDaTesto.insert(chiave, testoReparto(genere));
            reparto = it.value();
        } else {
            reparto = testoReparto(genere);
        }
        if (reparto)
            t.reparto = *reparto;
        else
            anomalia(VbErr::Overflow, QStringLiteral("Genere"));
    }

    const QVariant qta = campo(a.quantita, QStringLiteral("Quantità"));
    double quantita = 0;
    const Numero nq = leggiNumero(qta, quantita);
    t.quantita = dueDecimali(qta, QStringLiteral("Quantità"));
    t.minimo = dueDecimali(campo(a.minimo, QStringLiteral("Minimo")), QStringLiteral("Minimo"));

    const QVariant um = campo(a.unitaMisura, QStringLiteral("UnitaMisura"));
    if (um.isNull())
        anomalia(VbErr::InvalidUseOfNull, QStringLiteral("UnitaMisura"));
    else
        t.unitaMisura = um.toString();

    const QVariant costo = campo(a.costo, QStringLiteral("Costo"));
    t.prezzoVendita = dueDecimali(costo, QStringLiteral("Costo"));

    const QVariant forn = campo(a.fornitore, QStringLiteral("Fornitore"));
    t.fornitore = forn.isNull() ? QStringLiteral("***") : forn.toString();

    // Stock value: an unknown quantity adds nothing (it used to count as one).
    double prezzo = 0;
    const Numero nc = leggiNumero(costo, prezzo);
    if (nq == Numero::Ok && nc == Numero::Ok)
        m.valore = quantita * prezzo;
    else if (nq == Numero::Ok && nc == Numero::NonNumero)
        anomalia(VbErr::TypeMismatch, QStringLiteral("Costo"));

    t.taglia = testo(campo(a.taglia, QStringLiteral("Taglia")));
    t.colore = testo(campo(a.colore, QStringLiteral("Colore")));
    t.tipoMateriale = testo(campo(a.tipoMateriale, QStringLiteral("TipoMateriale")));
    t.barCode = testo(campo(a.barCode, QStringLiteral("BarCode")));
    const QVariant costo2 = campo(a.costo2, QStringLiteral("Costo2"));
    t.prezzoAcquisto = costo2.isNull() ? QString() : dueDecimali(costo2, QStringLiteral("Costo2"));
    t.codiceFornitore = testo(campo(a.codProdottoFornitore, QStringLiteral("CodProdottoFornitore")));
    const QVariant codPV = campo(a.codPV, QStringLiteral("CodPV"));
    t.iva = codPV.isNull() ? QString() : testoNumero(codPV);
    t.pesoConf = t.tipoMateriale == QLatin1String("***") ? QString() : t.tipoMateriale;

    // The mark-up reads the two prices back as shown, with two decimals.
    std::optional<double> ric;
    if (!t.prezzoVendita.isEmpty() && !t.prezzoAcquisto.isEmpty()) {
        bool fallito = false;
        ric = valoreRicarico(lettoDaImporto(t.prezzoVendita), lettoDaImporto(t.prezzoAcquisto), codPV, &fallito);
        if (fallito)
            anomalia(codPV.isNull() ? VbErr::InvalidUseOfNull : VbErr::DivisionByZero, QStringLiteral("% Ric"));
    }
    if (ric) // nearly every row has its own
        t.ricarico = Vb::money(*ric);

    m.esaurito = nq == Numero::Ok && quantita <= 0;
    m.modificato = Db::isTrue(campo(a.modificato, QStringLiteral("Modificato")));
    m.ricaricoBasso = ric && lettoDaImporto(t.ricarico) < 35;
    return m;
}

} // namespace Articoli
