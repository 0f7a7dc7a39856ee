#include "core/ArticoliRiga.h"

#include "core/Database.h"
#include "core/store/Istruzione.h"

namespace Articoli {

namespace {

// Every column but CodMateriale with its field, in the table's order: the one list that the
// reading, the binding and the statements follow.
template <class A, class F> void perOgniCampo(A& a, F&& f)
{
    f("Descrizione", a.descrizione);
    f("\"Quantità\"", a.quantita);
    f("Costo", a.costo);
    f("UnitaMisura", a.unitaMisura);
    f("Minimo", a.minimo);
    f("Genere", a.genere);
    f("Fornitore", a.fornitore);
    f("Eliminato", a.eliminato);
    f("Taglia", a.taglia);
    f("Colore", a.colore);
    f("TipoMateriale", a.tipoMateriale);
    f("BarCode", a.barCode);
    f("Costo2", a.costo2);
    f("CodProdottoFornitore", a.codProdottoFornitore);
    f("CodPV", a.codPV);
    f("Modificato", a.modificato);
    f("TipoVariazione", a.tipoVariazione);
    f("Note", a.note);
    f("PeriodoRiordino", a.periodoRiordino);
    f("CodArtCEDI", a.codArtCEDI);
    f("DataInizioPromo", a.dataInizioPromo);
    f("DataFinePromo", a.dataFinePromo);
    f("PrezzoPromo", a.prezzoPromo);
}

// "CodMateriale, Descrizione, ..." (a function, so that it is ready whenever it is first asked for).
const QString& tutteLeColonne()
{
    static const QString c = [] {
        QString t = QStringLiteral("CodMateriale");
        const Articolo a;
        perOgniCampo(a, [&](const char* nome, const auto&) { t += QStringLiteral(", ") + QString::fromUtf8(nome); });
        return t;
    }();
    return c;
}
constexpr int kCampi = 23; // perOgniCampo's fields
static_assert(kCampi == Riga::Campi().size());

// colonne()'s names after CodMateriale.
const QStringList& nomiCampi()
{
    static const QStringList n = tutteLeColonne().split(QStringLiteral(", ")).mid(1);
    return n;
}

void leggiCampo(const QVariant& v, QString& campo)
{
    campo = Riga::testo(v);
}
void leggiCampo(const QVariant& v, std::optional<double>& campo)
{
    campo = Riga::numero(v);
}
void leggiCampo(const QVariant& v, bool& campo)
{
    campo = Db::isTrue(v);
}

// A column of the connection's own statement, read as the Qt path reads its QVariant.
void leggiCampo(const Db::Istruzione& s, int colonna, QString& campo)
{
    campo = s.testo(colonna);
}
void leggiCampo(const Db::Istruzione& s, int colonna, std::optional<double>& campo)
{
    if (s.nullo(colonna))
        campo.reset();
    else if (const QVariant v = s.valore(colonna);
             v.metaType().id() == QMetaType::QString || v.metaType().id() == QMetaType::QByteArray)
        campo = Riga::numero(v); // a text in a number column: what it says, or Null
    else
        campo = s.reale(colonna);
}
void leggiCampo(const Db::Istruzione& s, int colonna, bool& campo)
{
    leggiCampo(s.valore(colonna), campo);
}

QVariant valoreCampo(const QString& campo)
{
    return Riga::valore(campo);
}
QVariant valoreCampo(const std::optional<double>& campo)
{
    return Riga::valore(campo);
}
QVariant valoreCampo(bool campo)
{
    return campo ? 1 : 0;
}

} // namespace

QString colonne()
{
    return tutteLeColonne();
}

namespace Riga {

std::optional<double> numero(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

QString testo(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

QVariant valore(const std::optional<double>& d)
{
    return d ? QVariant(*d) : QVariant(QMetaType(QMetaType::Double));
}
QVariant valore(const QString& s)
{
    return s.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(s);
}

Campi campi(const QStringList& nomi)
{
    Campi c;
    for (int i = 0; i < kCampi; ++i)
        c[size_t(i)] = nomi.isEmpty() || nomi.contains(nomiCampi().at(i));
    return c;
}

Articolo leggi(const QSqlQuery& q, const Campi& c)
{
    Articolo a;
    a.codMateriale = q.value(0).toLongLong();
    int campo = 0;
    int colonna = 1;
    perOgniCampo(a, [&](const char*, auto& f) {
        if (c[size_t(campo++)])
            leggiCampo(q.value(colonna++), f);
    });
    return a;
}

QVariantList valori(const Articolo& a, const Campi& c, qint64 codice)
{
    QVariantList v;
    v.reserve(int(c.count()) + 1);
    int campo = 0;
    perOgniCampo(a, [&](const char*, const auto& f) {
        if (c[size_t(campo++)])
            v << valoreCampo(f);
    });
    v << codice;
    return v;
}

QString sqlSeleziona(const QString& condizione, const Campi& c)
{
    QString t = QStringLiteral("SELECT CodMateriale");
    for (int i = 0; i < kCampi; ++i)
        if (c[size_t(i)])
            t += QStringLiteral(", ") + nomiCampi().at(i);
    return t + QStringLiteral(" FROM Magazzino WHERE ") + condizione;
}

QString sqlAggiorna(const Campi& c)
{
    QStringList set;
    for (int i = 0; i < kCampi; ++i)
        if (c[size_t(i)])
            set << nomiCampi().at(i) + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE Magazzino SET ") + set.join(QStringLiteral(", ")) +
           QStringLiteral(" WHERE CodMateriale = ?");
}

Articolo leggi(const Db::Istruzione& s, const Campi& c)
{
    Articolo a;
    a.codMateriale = s.intero(0);
    int campo = 0;
    int colonna = 1;
    perOgniCampo(a, [&](const char*, auto& f) {
        if (c[size_t(campo++)])
            leggiCampo(s, colonna++, f);
    });
    return a;
}

void lega(Db::Istruzione& s, const Articolo& a, qint64 codice)
{
    s.lega(0, codice);
    int i = 1;
    perOgniCampo(a, [&](const char*, const auto& f) { s.lega(i++, f); });
}

void lega(Db::Istruzione& s, const Articolo& a, const Campi& c, qint64 codice)
{
    int campo = 0;
    int i = 0;
    perOgniCampo(a, [&](const char*, const auto& f) {
        if (c[size_t(campo++)])
            s.lega(i++, f);
    });
    s.lega(i, codice);
}

Articolo leggi(const QSqlQuery& q)
{
    Articolo a;
    a.codMateriale = q.value(0).toLongLong();
    int i = 1;
    perOgniCampo(a, [&](const char*, auto& campo) { leggiCampo(q.value(i++), campo); });
    return a;
}

QVariantList valori(const Articolo& a, std::optional<qint64> codice)
{
    QVariantList v;
    v.reserve(kCampi + 1);
    if (codice)
        v << *codice;
    perOgniCampo(a, [&](const char*, const auto& campo) { v << valoreCampo(campo); });
    return v;
}

QString sqlSeleziona(const QString& condizione)
{
    return QStringLiteral("SELECT ") + tutteLeColonne() + QStringLiteral(" FROM Magazzino WHERE ") + condizione;
}

QString sqlPrimo(const QString& condizione)
{
    return sqlSeleziona(condizione) + QStringLiteral(" ORDER BY CodMateriale LIMIT 1");
}

QString sqlInserisci()
{
    return QStringLiteral("INSERT INTO Magazzino (") + tutteLeColonne() + QStringLiteral(") VALUES (?") +
           QStringLiteral(", ?").repeated(tutteLeColonne().count(QLatin1Char(','))) + QLatin1Char(')');
}

QString sqlAggiorna(const QStringList& colonneAggiornate)
{
    QStringList set;
    const QStringList nomi = tutteLeColonne().split(QStringLiteral(", "));
    for (int i = 1; i < nomi.size(); ++i) {
        if (colonneAggiornate.isEmpty() || colonneAggiornate.contains(nomi.at(i)))
            set << nomi.at(i) + QStringLiteral(" = ?");
    }
    return QStringLiteral("UPDATE Magazzino SET ") + set.join(QStringLiteral(", ")) +
           QStringLiteral(" WHERE CodMateriale = ?");
}

QString sqlNuovoCodice()
{
    return QStringLiteral("SELECT COALESCE(MAX(CodMateriale), 0) + 1 FROM Magazzino");
}

QString sqlCodicePerBarCodeUlteriore()
{
    return QStringLiteral("SELECT CodProd FROM BarCodeUlteriori WHERE BarCode = ? ORDER BY rowid LIMIT 1");
}

Esito dbFallito(const QString& errore)
{
    return Esito::fallito(VbErr::DatabaseError, errore);
}

Esito esegui(const QString& sql, const QVariantList& valori)
{
    QString err;
    return Db::exec(sql, valori, &err) ? Esito::riuscito() : dbFallito(err);
}

QString testoNonTrovato(qint64 codice)
{
    return QStringLiteral("CodMateriale %1 non trovato").arg(codice);
}

} // namespace Riga
} // namespace Articoli
