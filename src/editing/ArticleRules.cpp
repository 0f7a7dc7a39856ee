#include "editing/ArticleRules.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/NumeroDigitato.h"
#include "core/VbConvert.h"
#include "core/config/Config.h"

#include <cmath>

namespace ArticleRules {

namespace {

const QString kModulo = QStringLiteral("AggiungiMateriale");

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

bool leggiFlag(const QString& key)
{
    return Config::Generale::flag(key);
}

// The stock a register's quantity field takes.
constexpr double kQuantitaMassima = 99999999.0;

} // namespace

std::optional<QString> nuovoCodice()
{
    const std::optional<qint64> n = Articoli::nuovoCodice();
    return n ? std::optional<QString>(QString::number(*n)) : std::nullopt;
}

Letto<ArticoloEditor> carica(const QString& codice)
{
    const auto n = Articoli::codiceDaTesto(codice);
    if (!n)
        return Letto<ArticoloEditor>::assente();
    const Letto<Articolo> letto = Articoli::perCodice(*n);
    if (!letto.ok) {
        ScriviErrore(kModulo, QStringLiteral("PreparaPerModifica"), VbErr::DatabaseError, letto.errore);
        return Letto<ArticoloEditor>::fallito(letto.errore);
    }
    if (!letto.valore)
        return Letto<ArticoloEditor>::assente();
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
    return Letto<ArticoloEditor>::trovato(a);
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
        // What the key filters would have refused (a pasted sign or exponent) is refused here too.
        // The stock alone may be below zero: the registers' sales can take it there.
        const bool sottoZero = n.campo == Campo::Qta && n.testo->startsWith(QLatin1Char('-'));
        auto v = numeroDaTastiera(sottoZero ? n.testo->mid(1) : *n.testo);
        if (v && sottoZero)
            v = -*v;
        if (!v)
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("Formato '%1' non valido").arg(QString::fromUtf8(n.etichetta))};
        const bool prezzo = n.campo == Campo::Acquisto || n.campo == Campo::Costo;
        if (prezzo && *v > kPrezzoMassimoCassa)
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("'%1' troppo alto: il massimo accettato dalle casse è %2")
                        .arg(QString::fromUtf8(n.etichetta), Vb::money(kPrezzoMassimoCassa))};
        if (n.campo == Campo::Iva && *v > 100)
            return {Verifica::NonNumerico, n.campo, QStringLiteral("'IVA' non valida: al massimo 100")};
        if (n.campo == Campo::Qta && std::abs(*v) > kQuantitaMassima)
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("'Q.tà Iniziale' troppo alta: al massimo %1").arg(Vb::money(kQuantitaMassima))};
    }

    // No article may take a barcode another one has as its main barcode: the scanner look-up
    // would find one of them and the registers, which update by barcode, would merge them. An
    // edited article keeps its own, even one that another article shares from before. Extra
    // barcodes are compared with nothing, for a new article as for an edit.
    if (!a.barCode.isEmpty()) {
        const auto fallito = [&](const QString& dettaglio) {
            const Esito e = Esito::fallito(VbErr::DatabaseError, dettaglio);
            ScriviErrore(kModulo, QStringLiteral("ControlloCampi"), e);
            // Held by another program: nothing is wrong with the data, and the user is told so.
            return Verifica{Verifica::Errore, Campo::Nessuno, Db::motivoPerUtente(e)};
        };
        bool proprio = false;
        if (!codiceModifica.isEmpty()) {
            const auto n = Articoli::codiceDaTesto(codiceModifica);
            if (!n)
                return fallito(codiceModifica);
            const Letto<Articolo> questo = Articoli::perCodice(*n);
            if (!questo.ok)
                return fallito(questo.errore);
            proprio = questo.valore && questo.valore->barCode == a.barCode;
        }
        if (!proprio) {
            const Letto<Articolo> altro = Articoli::perBarCode(a.barCode);
            if (!altro.ok)
                return fallito(altro.errore);
            if (altro.valore)
                return {Verifica::BarCodeDoppio, Campo::Nessuno,
                        QStringLiteral("Attenzione codice a barre già presente - Verificare - Impossibile procedere")};
        }
    }

    if (verificaCodiceFornitore() && a.codFornitore.isEmpty())
        return {Verifica::ChiediCodFornitore, Campo::CodFornitore,
                QStringLiteral("Codice Articolo del fornitore non inserito - Proseguire cmq?")};
    return {};
}

bool verificaCodiceFornitore()
{
    // Only "VERO" (any case) asks; any other value, like the "Falso" written when missing, does not.
    return Config::Generale::verificaCodiceFornitore();
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
        const auto n = Articoli::codiceDaTesto(codiceModifica);
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
    const auto n = Articoli::codiceDaTesto(codice);
    if (!n)
        return Esito::fallito(VbErr::TypeMismatch, codice);
    const Esito e = Articoli::elimina(*n);
    if (!e)
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("Modifica_Click"), e);
    return e;
}

Letto<QStringList> generi()
{
    const Letto<QList<Reparto>> l = Articoli::reparti();
    if (!l.ok) {
        ScriviErrore(kModulo, QStringLiteral("CaricaGeneri"), VbErr::DatabaseError, l.errore);
        return Letto<QStringList>::fallito(l.errore);
    }
    QStringList out;
    for (const Reparto& r : *l.valore)
        out << QString::number(r.cod) + QLatin1Char('#') + r.descrizione;
    return Letto<QStringList>::trovato(out);
}

Letto<QStringList> fornitori()
{
    Letto<QStringList> l = Articoli::fornitori();
    if (!l.ok)
        ScriviErrore(kModulo, QStringLiteral("CaricaFornitori"), VbErr::DatabaseError, l.errore);
    return l;
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

} // namespace ArticleRules
