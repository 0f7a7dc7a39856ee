#include "editing/ArticleStore.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"
#include "core/config/Generali.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ArticleStore {

namespace {

const QString kModulo = QStringLiteral("AggiungiMateriale");

QString testo(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// Prices show two decimals; a stored value with more keeps them, so nothing is rounded unasked.
QString prezzo(const std::optional<double>& v)
{
    if (!v)
        return {};
    const double x = *v;
    return Vb::roundHalfAway(x, 2) == x ? Vb::money(x) : Vb::cstr(x);
}

QString numero(const std::optional<double>& v)
{
    return v ? Vb::cstr(*v) : QString();
}

// A text box's value as stored: never Null.
QString casella(const QString& s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

std::optional<qint64> codiceNumerico(const QString& codice)
{
    return Articoli::codiceDaTesto(codice);
}

bool leggiFlag(const QString& key)
{
    return Config::Generale::flag(key);
}

} // namespace

std::optional<QString> nuovoCodice()
{
    const std::optional<qint64> n = Articoli::nuovoCodice();
    return n ? std::optional<QString>(QString::number(*n)) : std::nullopt;
}

std::optional<ArticoloEditor> carica(const QString& codice)
{
    const auto n = codiceNumerico(codice);
    if (!n)
        return std::nullopt;
    const Letto<Articolo> letto = Articoli::perCodice(*n);
    if (!letto.ok) {
        ScriviErrore(kModulo, QStringLiteral("PreparaPerModifica"), VbErr::DatabaseError, letto.errore);
        return std::nullopt;
    }
    if (!letto.valore)
        return std::nullopt;
    const Articolo& r = *letto.valore;
    ArticoloEditor a;
    a.descrizione = r.descrizione;
    a.quantita = numero(r.quantita);
    a.iva = r.codPV ? numero(r.codPV) : QStringLiteral("0");
    a.unita = r.unitaMisura;
    a.costo = prezzo(r.costo);
    a.taglia = r.taglia;
    a.colore = r.colore;
    a.barCode = r.barCode;
    a.codFornitore = r.codProdottoFornitore;
    a.genere = r.genere;
    a.fornitore = r.fornitore;
    a.acquisto = prezzo(r.costo2);
    a.pesoConf = r.tipoMateriale;
    return a;
}

Verifica verifica(const ArticoloEditor& a, const QString& codiceModifica)
{
    const struct
    {
        const QString* testo;
        Campo campo;
    } richiesti[] = {{&a.descrizione, Campo::Desc}, {&a.quantita, Campo::Qta},   {&a.acquisto, Campo::Acquisto},
                     {&a.unita, Campo::Um},         {&a.reparto, Campo::Genere}, {&a.fornitore, Campo::Fornitore},
                     {&a.costo, Campo::Costo}};
    for (const auto& r : richiesti)
        if (r.testo->isEmpty())
            return {Verifica::CampoVuoto, r.campo, {}};

    const struct
    {
        const QString* testo;
        Campo campo;
        const char* etichetta;
    } numeri[] = {{&a.quantita, Campo::Qta, "Q.tà Iniziale"},
                  {&a.acquisto, Campo::Acquisto, "Prezzo di Acquisto senza IVA"},
                  {&a.costo, Campo::Costo, "Prezzo di Vendita"},
                  {&a.iva, Campo::Iva, "IVA"}};
    for (const auto& n : numeri) {
        if (n.campo == Campo::Iva && n.testo->isEmpty())
            continue; // an empty VAT keeps the stored one
        if (!Vb::cdbl(*n.testo))
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("Formato '%1' non valido").arg(QString::fromUtf8(n.etichetta))};
    }

    if (!a.barCode.isEmpty()) {
        bool ok = false;
        const QVariant altro =
            codiceModifica.isEmpty()
                ? Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE BarCode = ?"), {a.barCode}, &ok)
                : Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE BarCode = ? AND CodMateriale <> ?"),
                             {a.barCode, codiceNumerico(codiceModifica).value_or(-1)}, &ok);
        if (!ok) {
            ScriviErrore(kModulo, QStringLiteral("ControlloCampi"), VbErr::DatabaseError, a.barCode);
            return {Verifica::Errore, Campo::Nessuno, {}};
        }
        if (altro.toLongLong() > 0)
            return {Verifica::BarCodeDoppio, Campo::Nessuno,
                    QStringLiteral("Attenzione codice a barre già presente - Verificare - Impossibile procedere")};
    }

    if (verificaCodiceFornitore() && a.codFornitore.isEmpty())
        return {Verifica::ChiediCodFornitore, Campo::CodFornitore,
                QStringLiteral("Codice Articolo del fornitore non inserito - Proseguire cmq?")};
    return {};
}

bool verificaCodiceFornitore()
{
    return leggiFlag(QStringLiteral("VerificaCodiceFornitore"));
}
bool salvaRepartoComeCodice()
{
    return leggiFlag(QStringLiteral("SalvaRepartoComeCODICE"));
}

Esito salva(const ArticoloEditor& a, const QString& codiceModifica, QString* codiceOut)
{
    const auto fail = [](VbErr e, const QString& detail) {
        ScriviErrore(kModulo, QStringLiteral("SalvaDatiMateriale"), e, detail);
        return Esito::fallito(e, detail);
    };
    const auto qta = Vb::cdbl(a.quantita);
    const auto costo = Vb::cdbl(a.costo);
    const auto acquisto = Vb::cdbl(a.acquisto);
    const auto iva = Vb::cdbl(a.iva);
    if (!qta || !costo || !acquisto || (!a.iva.isEmpty() && !iva))
        return fail(VbErr::TypeMismatch, a.descrizione);

    const int cancelletto = a.reparto.indexOf(QLatin1Char('#'));
    const QString prima = cancelletto < 0 ? a.reparto : a.reparto.left(cancelletto);
    const QString dopo = cancelletto < 0 ? QString() : a.reparto.mid(cancelletto + 1);
    const QString genere = salvaRepartoComeCodice() ? prima : dopo;

    // The stored row, changed in the editor's columns only; a new article starts empty.
    Articolo r;
    if (!codiceModifica.isEmpty()) {
        const auto n = codiceNumerico(codiceModifica);
        if (!n)
            return fail(VbErr::TypeMismatch, codiceModifica);
        const Letto<Articolo> letto = Articoli::perCodice(*n);
        if (!letto.ok)
            return fail(VbErr::DatabaseError, letto.errore);
        // The row must still be there: a vanished article is a failed save, not a silent one.
        if (!letto.valore)
            return fail(VbErr::DatabaseError, QStringLiteral("CodMateriale %1 non trovato").arg(codiceModifica));
        r = *letto.valore;
    }
    r.descrizione = casella(a.descrizione);
    r.quantita = *qta;
    r.costo = *costo;
    r.unitaMisura = casella(a.unita);
    r.minimo = 0;
    r.genere = casella(genere);
    r.fornitore = casella(a.fornitore.toUpper());
    r.eliminato = false;
    r.taglia = casella(a.taglia);
    r.colore = casella(a.colore);
    r.tipoMateriale = casella(a.pesoConf);
    r.barCode = casella(a.barCode);
    r.costo2 = *acquisto;
    r.codProdottoFornitore = casella(a.codFornitore);
    if (iva || codiceModifica.isEmpty())
        r.codPV = iva; // an edit with an empty VAT box keeps the stored VAT
    r.modificato = true;
    r.tipoVariazione = QStringLiteral("F");
    const Esito e = codiceModifica.isEmpty() ? Articoli::inserisci(r) : Articoli::aggiorna(r);
    if (!e)
        return fail(VbErr::DatabaseError, e.descrizione);
    const QString codice = QString::number(r.codMateriale);
    if (codiceOut)
        *codiceOut = codice;
    return Esito::riuscito();
}

Esito elimina(const QString& codice)
{
    const auto n = codiceNumerico(codice);
    if (!n)
        return Esito::fallito(VbErr::TypeMismatch, codice);
    const Esito e = Articoli::elimina(*n);
    if (!e)
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("Modifica_Click"), e);
    return e;
}

QStringList unitaMisura()
{
    const QString setup = app().percorsoSetup;
    const QString sec = QStringLiteral("UnitaMisura");
    static const char* const predefinite[] = {"Bot", "Pz", "Kg", "gr", "Lt", "Fogli", "Spicchi"};
    for (int i = 0; i < 7; ++i) {
        const QString key = QStringLiteral("Unita%1").arg(i + 1);
        if (LeggiINI(setup, sec, key, QStringLiteral("?")) == QLatin1String("?"))
            ScriviINI(setup, sec, key, QString::fromLatin1(predefinite[i]));
    }
    QStringList out{QString()};
    for (int i = 1; i <= 25; ++i) {
        const QString v = LeggiINI(setup, sec, QStringLiteral("Unita%1").arg(i), QStringLiteral("?"));
        if (v == QLatin1String("?"))
            break;
        out << v;
    }
    return out;
}

QStringList generi()
{
    QStringList out;
    QSqlQuery q = Db::query(QStringLiteral("SELECT Cod, Descrizione FROM Reparti ORDER BY Cod"));
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("CaricaGeneri"), VbErr::DatabaseError, q.lastError().text());
        return out;
    }
    while (q.next())
        out << q.value(0).toString() + QLatin1Char('#') + testo(q.value(1));
    return out;
}

QStringList fornitori()
{
    const Letto<QStringList> l = Articoli::fornitori();
    if (!l.ok)
        ScriviErrore(kModulo, QStringLiteral("CaricaFornitori"), VbErr::DatabaseError, l.errore);
    return l.valore.value_or(QStringList());
}

QString pulisciDescrizione(const QString& s)
{
    QString r = s;
    for (const QChar c : {u'$', u'%', u'*', u'#', u'^', u'°'})
        r.remove(c);
    r.replace(QLatin1Char(','), QLatin1Char('.'));
    for (const QChar c : {u'/', u'\\', u'\''})
        r.replace(c, QLatin1Char(' '));
    // Only blanks are trimmed, as the old Trim did.
    qsizetype b = 0, e = r.size();
    while (b < e && r.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && r.at(e - 1) == QLatin1Char(' '))
        --e;
    return r.mid(b, e - b);
}

int filtroDecimale(int k, const QString& current)
{
    if ((k >= '0' && k <= '9') || k == 8)
        return k;
    const bool virgolaAmmessa = !current.isEmpty() && !current.contains(QLatin1Char(','));
    if (k == '.' || k == ',')
        return virgolaAmmessa ? ',' : 0;
    return 0;
}

} // namespace ArticleStore
