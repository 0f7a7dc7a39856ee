// The four import engines: read and check everything, then write it in one transaction.
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/Lookups.h"
#include "core/Progress.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "import/Cartella.h"
#include "import/Importazione.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

namespace Importazione {

namespace {

const QString kModulo = QStringLiteral("frmImporta");
constexpr int kPassoAvanzamento = 500;

// The lines of a supplier's text file. False for a file that is not a Windows-1252 text: one that
// cannot be read, holds control bytes (binary), or is UTF-8 with non-ASCII characters.
bool lineeTesto(const QString& path, QStringList& linee, QString* motivo)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *motivo = f.errorString();
        return false;
    }
    const QByteArray b = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *motivo = f.errorString();
        return false;
    }
    bool nonAscii = false;
    for (const char c : b) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\r' && u != '\n' && u != '\t' && u != 0x0C && u != 0x1A) {
            *motivo = QStringLiteral("file binario");
            return false;
        }
        nonAscii = nonAscii || u >= 0x80;
    }
    if (nonAscii) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString prova = utf8.decode(b);
        if (!utf8.hasError()) {
            *motivo = QStringLiteral("file in UTF-8, non Windows-1252");
            return false;
        }
    }
    QString testo = TextFile::decode(b);
    // An end-of-file mark closes old DOS files.
    if (testo.endsWith(QChar(0x1A)))
        testo.chop(1);
    linee = TextFile::splitLines(testo);
    return true;
}

// Reports a refused file or a failed write: the status goes blank, the log gets the detail,
// the user gets the engine's message.
bool rifiuta(Interaction& ui, ProgressSink& sink, const QString& proc, const QString& dettaglio,
             const QString& messaggio, Interaction::Icon icona = Interaction::Icon::None)
{
    ScriviErrore(kModulo, proc, dettaglio, QStringLiteral("0"));
    sink.setStatus(QString());
    ui.ask(messaggio, Interaction::Ok, icona);
    return false;
}

// The lines of a supplier's file, the status showing the import; false (message shown) for a
// file that is no text.
bool lineeDelFile(const QString& path, Interaction& ui, ProgressSink& sink, const QString& proc, QStringList& linee)
{
    sink.setStatus(msgInCorso());
    QString motivo;
    return lineeTesto(path, linee, &motivo) || rifiuta(ui, sink, proc, motivo, msgErrore());
}

bool fallitoDb(Interaction& ui, ProgressSink& sink, const QString& proc, const Esito& e, const QString& messaggio,
               Interaction::Icon icona = Interaction::Icon::None)
{
    ScriviErrore(kModulo, proc, e);
    sink.setStatus(QString());
    ui.ask(messaggio, Interaction::Ok, icona);
    return false;
}

void avanza(ProgressSink& sink, int i)
{
    if (i % kPassoAvanzamento == 0)
        sink.setValue(i);
}

// The next free code, counted on in memory inside the transaction.
struct Codici
{
    qint64 prossimo = 0;
    Esito inizia()
    {
        const auto n = Articoli::nuovoCodice();
        prossimo = n.value_or(0);
        return n ? Esito::riuscito() : Esito::fallito(VbErr::DatabaseError, QStringLiteral("MAX"));
    }
    qint64 nuovo() { return prossimo++; }
};

using ScriviRiga = std::function<Esito(Articoli::Lotto&, const RigaImport&, int)>;

// Writes the rows in one transaction: `prima` once, then `scrivi` for each row in turn. A failure
// anywhere leaves nothing written.
Esito scriviRighe(const QVector<RigaImport>& righe, ProgressSink& sink, const std::function<Esito()>& prima,
                  const ScriviRiga& scrivi)
{
    sink.setRange(0, int(righe.size()));
    Db::Transaction t;
    Esito e = t.ok() ? prima() : Esito::fallito(VbErr::DatabaseError, QStringLiteral("transaction"));
    Articoli::Lotto lotto;
    for (int i = 0; e && i < righe.size(); ++i) {
        e = scrivi(lotto, righe.at(i), i);
        avanza(sink, i);
    }
    if (e && !t.commit())
        e = Esito::fallito(VbErr::DatabaseError, QStringLiteral("commit"));
    if (!e)
        t.rollback();
    else
        sink.setValue(int(righe.size()));
    return e;
}

// Fills in an article from a row; `esiste` tells a stored article from a new one.
using Compila = std::function<void(Articolo& a, bool esiste, const RigaImport& r)>;

// Merges the rows into the archive: a row's article is the one with its barcode (then, with
// `ancheCodiceFornitore`, the one with its supplier code), else a new one on the next free code.
Esito fondiRighe(const QVector<RigaImport>& righe, ProgressSink& sink, bool ancheCodiceFornitore,
                 const Compila& compila)
{
    Codici codici;
    return scriviRighe(
        righe, sink, [&] { return codici.inizia(); },
        [&](Articoli::Lotto& lotto, const RigaImport& r, int) {
            const QString bc = r.barCode.trimmed();
            Letto<Articolo> trovato = bc.isEmpty() ? Letto<Articolo>::assente() : lotto.perBarCode(bc);
            if (ancheCodiceFornitore && trovato.ok && !trovato.valore && !r.codArticoloFornitore.isEmpty())
                trovato = lotto.perCodiceFornitore(r.codArticoloFornitore);
            if (!trovato.ok)
                return Esito::fallito(VbErr::DatabaseError, trovato.errore);
            const bool esiste = trovato.valore.has_value();
            Articolo a = esiste ? *trovato.valore : Articolo();
            if (!esiste)
                a.codMateriale = codici.nuovo();
            compila(a, esiste, r);
            return esiste ? lotto.aggiorna(a) : lotto.inserisci(a);
        });
}

} // namespace

// ---------------------------------------------------------------- text price list

bool EseguiImportTesto(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink)
{
    const QString proc = QStringLiteral("EseguiImportTesto");
    QStringList linee;
    if (!lineeDelFile(path, ui, sink, proc, linee))
        return false;
    QVector<RigaImport> righe;
    righe.reserve(linee.size());
    const bool fisso = imp.opzioneSeparatore == kPoseidon;
    for (const QString& l : std::as_const(linee)) {
        RigaImport r;
        if (fisso ? lineaPoseidon(l, r) : lineaSeparata(l, imp, r))
            righe << r;
        else if (!fisso)
            return rifiuta(ui, sink, proc, QStringLiteral("colonna oltre la riga %1").arg(righe.size() + 1),
                           msgErrore());
    }
    linee.clear();
    if (righe.isEmpty())
        return rifiuta(ui, sink, proc, QStringLiteral("file vuoto"), msgErrore());

    QHash<int, QString> nomiReparto;
    const Esito e = scriviRighe(
        righe, sink, [] { return Articoli::svuotaArchivio(); },
        [&](Articoli::Lotto& lotto, const RigaImport& r, int i) {
            Articolo a;
            a.codMateriale = i + 1;
            a.descrizione = r.descrizione;
            a.quantita = numeroItaliano(r.quantita);
            a.costo = numeroItaliano(r.prezzo);
            a.barCode = r.barCode;
            if (r.reparto.isEmpty()) {
                a.genere = QStringLiteral("1");
            } else {
                const int cod = r.reparto.toInt();
                auto it = nomiReparto.find(cod);
                if (it == nomiReparto.end())
                    it = nomiReparto.insert(cod, TrovaNomeRep(cod));
                a.genere = *it;
            }
            a.unitaMisura = QStringLiteral("Pz");
            a.fornitore = QStringLiteral("***");
            a.minimo = 0;
            return lotto.inserisci(a);
        });
    if (!e)
        return fallitoDb(ui, sink, proc, e, msgErrore());
    return true;
}

// ---------------------------------------------------------------- supplier fixed-width

bool EseguiImportFornitore(const QString& path, const QString& fornitore, Interaction& ui, ProgressSink& sink)
{
    const QString proc = QStringLiteral("EseguiImportFornitore");
    const QString chiave = fornitore.trimmed().toUpper();
    const bool rcg = chiave == QLatin1String("RCG SERVICE");
    if (!rcg && chiave != QLatin1String("GRONTE")) {
        ui.ask(
            QStringLiteral("Dati Tracciato Record per il Fornitore selezionato NON presenti - Impossibile continuare"),
            Interaction::Ok);
        return false;
    }
    QStringList linee;
    if (!lineeDelFile(path, ui, sink, proc, linee))
        return false;
    QVector<RigaImport> righe;
    for (const QString& l : std::as_const(linee)) {
        RigaImport r;
        if (rcg ? lineaRCG(l, r) : lineaGronte(l, r))
            righe << r;
    }
    linee.clear();
    if (righe.isEmpty())
        return rifiuta(ui, sink, proc, QStringLiteral("nessuna riga del tracciato"), msgErrore());

    const Esito e = fondiRighe(righe, sink, true, [&](Articolo& a, bool esiste, const RigaImport& r) {
        const QString bc = r.barCode.trimmed();
        const auto q = numeroItaliano(r.quantita);
        if (!esiste) {
            a.genere = QStringLiteral("***NEW***");
            a.quantita = q;
            a.costo = 0;
        } else if (q) {
            a.quantita = a.quantita.value_or(0) + *q;
        }
        a.descrizione = r.descrizione;
        a.codProdottoFornitore = r.codArticoloFornitore;
        if (const auto p = numeroItaliano(r.prezzo))
            a.costo2 = p;
        // An empty barcode in the file never erases the stored one.
        if (!bc.isEmpty() || !esiste)
            a.barCode = bc;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = fornitore;
        a.minimo = 0;
        if (const auto v = numeroItaliano(r.iva))
            a.codPV = v;
        a.modificato = true;
    });
    if (!e)
        return fallitoDb(ui, sink, proc, e, msgErrore());
    return true;
}

// ---------------------------------------------------------------- spreadsheets

namespace {

const QString kProcXls = QStringLiteral("EseguiImportXLS");

QString testoCella(const RigaCelle& celle, int indice)
{
    return indice >= 0 && indice < celle.size() ? celle.at(indice).comeTesto() : QString();
}
bool cellaVuota(const RigaCelle& celle, int indice)
{
    return indice < 0 || indice >= celle.size() || celle.at(indice).vuota();
}

// Reads the sheet whole through `accetta`. False (message shown) when it cannot be read, has no
// data rows, or is narrower than `colonneRichieste`.
bool leggiRighe(const Cartella& c, const QString& foglio, int colonneRichieste, Interaction& ui, ProgressSink& sink,
                const std::function<void(const RigaCelle&)>& accetta)
{
    QString errore;
    int larghezza = 0;
    qint64 lette = 0;
    const bool ok = c.leggiFoglio(
        foglio,
        [&](const RigaCelle& r) {
            ++lette;
            accetta(r);
            return true;
        },
        &errore, &larghezza);
    if (!ok)
        return rifiuta(ui, sink, kProcXls, errore, msgImpossibile(), Interaction::Icon::Critical);
    if (lette == 0)
        return rifiuta(ui, sink, kProcXls, QStringLiteral("foglio vuoto"), msgImpossibile(),
                       Interaction::Icon::Critical);
    if (colonneRichieste > larghezza)
        return rifiuta(ui, sink, kProcXls, QStringLiteral("colonna %1 oltre il foglio").arg(colonneRichieste),
                       msgImpossibile(), Interaction::Icon::Critical);
    return true;
}

QString nomeFoglio(const QString& tabella)
{
    return QString(tabella).remove(QLatin1Char('\'')).toUpper();
}

bool EseguiImportGENERICO(const Cartella& cartella, const QString& foglio, const ImpostazioniImport& imp,
                          Interaction& ui, ProgressSink& sink)
{
    sink.setStatus(QStringLiteral("Importazione in corso..."));
    const int richieste = std::max(
        {imp.posDes, imp.posCFOR, imp.posBC, imp.posQta, imp.posPV, imp.posIVA, imp.posFOR, imp.posACQ, imp.posRep});
    QVector<RigaImport> righe;
    const bool letto = leggiRighe(cartella, foglio, richieste, ui, sink, [&](const RigaCelle& c) {
        if (cellaVuota(c, imp.posDes - 1))
            return;
        RigaImport r;
        r.descrizione = testoCella(c, imp.posDes - 1).left(50);
        r.codArticoloFornitore = testoCella(c, imp.posCFOR - 1);
        r.barCode = testoCella(c, imp.posBC - 1);
        r.quantitaVuota = imp.posQta == 0 || cellaVuota(c, imp.posQta - 1);
        r.quantita = r.quantitaVuota ? QStringLiteral("2000") : testoCella(c, imp.posQta - 1);
        r.prezzoVuoto = cellaVuota(c, imp.posPV - 1);
        r.prezzo = r.prezzoVuoto ? QStringLiteral("0") : testoCella(c, imp.posPV - 1);
        r.iva = cellaVuota(c, imp.posIVA - 1) ? QStringLiteral("22") : testoCella(c, imp.posIVA - 1);
        r.codForPrevalente = testoCella(c, imp.posFOR - 1).left(100);
        r.prezzoAcquistoVuoto = cellaVuota(c, imp.posACQ - 1);
        r.prezzoAcquisto = testoCella(c, imp.posACQ - 1);
        righe << r;
    });
    if (!letto)
        return false;

    QHash<int, QString> repartoPerIva;
    const Esito e = fondiRighe(righe, sink, false, [&](Articolo& a, bool esiste, const RigaImport& r) {
        const QString bc = r.barCode.trimmed();
        a.descrizione = r.descrizione;
        // An empty quantity or price keeps what a found article has.
        if (!(esiste && r.quantitaVuota)) {
            if (const auto q = numeroImport(r.quantita))
                a.quantita = q;
        }
        a.codProdottoFornitore = r.codArticoloFornitore;
        if (!(esiste && r.prezzoVuoto)) {
            if (const auto p = r.prezzo.isEmpty() ? std::optional<double>(0) : numeroImport(r.prezzo))
                a.costo = p;
        }
        if (!(esiste && r.prezzoAcquistoVuoto)) {
            if (const auto p = r.prezzoAcquisto.isEmpty() ? std::optional<double>(0) : numeroImport(r.prezzoAcquisto))
                a.costo2 = p;
        }
        a.barCode = bc;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = r.codForPrevalente.trimmed();
        a.minimo = 0;
        if (r.iva.isEmpty()) {
            a.codPV = 22;
            a.genere = QStringLiteral("40");
        } else {
            const auto v = numeroImport(r.iva);
            const auto n = v ? Vb::cint(*v) : std::nullopt;
            if (n) {
                a.codPV = *n;
                auto it = repartoPerIva.find(*n);
                if (it == repartoPerIva.end())
                    it = repartoPerIva.insert(*n, QString::number(TrovaCodiceRepXIVA(*n)));
                a.genere = *it;
            } else {
                ScriviErrore(kModulo, kProcXls, VbErr::TypeMismatch, r.iva);
            }
        }
        a.modificato = true;
        a.tipoVariazione = QStringLiteral("F");
    });
    if (!e)
        return fallitoDb(ui, sink, kProcXls, e, msgImpossibile(), Interaction::Icon::Critical);
    return true;
}

bool EseguiImport(const Cartella& cartella, const QString& foglio, const QString& fornitore, Interaction& ui,
                  ProgressSink& sink)
{
    sink.setStatus(QStringLiteral("Importazione in corso..."));
    QVector<RigaImport> righe;
    const bool letto = leggiRighe(cartella, foglio, 0, ui, sink, [&](const RigaCelle& c) {
        if (cellaVuota(c, 0) || !Vb::isNumeric(testoCella(c, 0)))
            return;
        RigaImport r;
        r.codArticoloFornitore = testoCella(c, 0);
        r.barCode = testoCella(c, 1);
        r.descrizione = testoCella(c, 2).left(50);
        r.quantita = cellaVuota(c, 4) ? QStringLiteral("0") : testoCella(c, 4);
        r.prezzo = cellaVuota(c, 5) ? QStringLiteral("0") : testoCella(c, 5);
        r.iva = cellaVuota(c, 6) ? QStringLiteral("20") : testoCella(c, 6);
        righe << r;
    });
    if (!letto)
        return false;

    QStringList nuovi; // logged only once the import holds
    const Esito e = fondiRighe(righe, sink, false, [&](Articolo& a, bool esiste, const RigaImport& r) {
        const QString bc = r.barCode.trimmed();
        a.descrizione = r.descrizione;
        const auto q = r.quantita.isEmpty() ? std::optional<double>(1) : numeroImport(r.quantita);
        if (esiste) {
            if (q && !r.quantita.isEmpty())
                a.quantita = a.quantita.value_or(0) + *q;
        } else {
            nuovi << r.codArticoloFornitore;
            a.genere = QStringLiteral("***NEW***");
            a.quantita = q;
            a.costo = 0;
        }
        a.codProdottoFornitore = r.codArticoloFornitore;
        if (const auto p = r.prezzo.isEmpty() ? std::optional<double>(0) : numeroImport(r.prezzo))
            a.costo2 = p;
        a.barCode = bc;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = fornitore;
        a.minimo = 0;
        if (r.iva.isEmpty()) {
            a.codPV = 20;
        } else if (const auto v = numeroImport(r.iva)) {
            if (const auto n = Vb::cint(*v))
                a.codPV = *n;
        }
        a.modificato = true;
    });
    if (!e)
        return fallitoDb(ui, sink, kProcXls, e, msgImpossibile(), Interaction::Icon::Critical);
    for (int i = 0; i < nuovi.size(); ++i)
        ScriviErrore(kModulo, kProcXls, QStringLiteral("Non trovo cod fornitore"), QStringLiteral("0"));
    return true;
}

} // namespace

bool ImportaFoglioPRODOTTI(const Cartella& cartella, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink)
{
    for (const QString& t : cartella.fogli()) {
        if (nomeFoglio(t) == QLatin1String("PRODOTTI$"))
            return EseguiImportGENERICO(cartella, t, imp, ui, sink);
    }
    return rifiuta(ui, sink, QStringLiteral("ImportaFoglioPRODOTTI"), QStringLiteral("foglio PRODOTTI assente"),
                   msgImpossibile(), Interaction::Icon::Critical);
}

bool ImportaPrimoFoglio(const Cartella& cartella, const QString& fornitore, Interaction& ui, ProgressSink& sink)
{
    const QStringList fogli = cartella.fogli();
    if (fogli.isEmpty())
        return rifiuta(ui, sink, QStringLiteral("ImportaPrimoFoglio"), QStringLiteral("nessun foglio"),
                       msgImpossibile(), Interaction::Icon::Critical);
    return EseguiImport(cartella, fogli.first(), fornitore, ui, sink);
}

} // namespace Importazione
