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
#include "import/Listini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QStorageInfo>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace Listini {

namespace {

const QString kModulo = QStringLiteral("frmImporta");
constexpr int kPassoAvanzamento = 500;

// The line (from 1) that byte `pos` of a text lies on: CR LF, LF or a lone CR end a line.
int rigaDelByte(const QByteArray& b, qsizetype pos)
{
    int riga = 1;
    for (qsizetype i = 0; i < pos && i < b.size(); ++i) {
        if (b.at(i) == '\n' || (b.at(i) == '\r' && (i + 1 >= b.size() || b.at(i + 1) != '\n')))
            ++riga;
    }
    return riga;
}

// UTF-16 (Unicode as some programs save text): a byte-order mark, or NUL bytes in every other
// place of the first bytes.
bool sembraUtf16(const QByteArray& b)
{
    if (b.startsWith("\xFF\xFE") || b.startsWith("\xFE\xFF"))
        return true;
    const qsizetype n = std::min<qsizetype>(b.size(), 4096);
    qsizetype pari = 0, dispari = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (b.at(i) == '\0')
            ++(i % 2 ? dispari : pari);
    }
    // Mostly NUL on one side and (next to) none on the other: a binary file has them anywhere.
    return n >= 4 && ((pari * 10 >= n * 4 && dispari * 20 < n) || (dispari * 10 >= n * 4 && pari * 20 < n));
}

// The lines of a supplier's text file. False, with the reason in Italian, for a file that is not
// a Windows-1252 text: one that cannot be read, is UTF-16, holds NUL or other control bytes, or
// is UTF-8 with non-ASCII characters.
bool lineeTesto(const QString& path, QStringList& linee, QString* motivo)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *motivo = QStringLiteral("Impossibile leggere il file: ") + f.errorString();
        return false;
    }
    const QByteArray b = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *motivo = QStringLiteral("Impossibile leggere il file: ") + f.errorString();
        return false;
    }
    if (sembraUtf16(b)) {
        *motivo = QStringLiteral("Il file è in codifica UTF-16 (Unicode): salvarlo come testo Windows-1252");
        return false;
    }
    qsizetype primoNonAscii = -1;
    for (qsizetype i = 0; i < b.size(); ++i) {
        const auto u = static_cast<unsigned char>(b.at(i));
        if (u < 0x20 && u != '\r' && u != '\n' && u != '\t' && u != 0x0C && u != 0x1A) {
            *motivo = (u == 0 ? QStringLiteral("Il file contiene byte NUL alla riga %1: non è un file di testo")
                              : QStringLiteral("Il file contiene caratteri di controllo alla riga %1: non è un file "
                                               "di testo"))
                          .arg(rigaDelByte(b, i));
            return false;
        }
        if (u >= 0x80 && primoNonAscii < 0)
            primoNonAscii = i;
    }
    if (primoNonAscii >= 0) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString prova = utf8.decode(b);
        if (!utf8.hasError()) {
            *motivo = QStringLiteral("Il file è in codifica UTF-8 (riga %1): salvarlo come testo Windows-1252")
                          .arg(rigaDelByte(b, primoNonAscii));
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

// Reports a refused file: the status goes blank, the log gets the reason, the user gets the
// engine's message with the reason on its second line.
bool rifiuta(Interaction& ui, ProgressSink& sink, const QString& proc, const QString& motivo, const QString& messaggio,
             Interaction::Icon icona = Interaction::Icon::None)
{
    ScriviErrore(kModulo, proc, motivo, QStringLiteral("0"));
    sink.setStatus(QString());
    ui.ask(messaggio + QStringLiteral("\r\n") + motivo, Interaction::Ok, icona);
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

// A write refused for want of space: SQLite's own word for it, or a disk that has (next to)
// nothing left where the database lies.
bool discoPieno(const QString& errore)
{
    if (errore.contains(QLatin1String("disk is full"), Qt::CaseInsensitive))
        return true;
    const QStorageInfo s(QFileInfo(Db::currentPath()).absolutePath());
    return s.isValid() && s.isReady() && s.bytesAvailable() >= 0 && s.bytesAvailable() < 1024 * 1024;
}

// A failed write named by its real cause: a full disk is "Disco pieno", not a database fault.
Esito causaReale(const Esito& e)
{
    if (e.numero != int(VbErr::DiskFull) && !Db::inUso(e) && discoPieno(e.descrizione))
        return Esito::fallito(VbErr::DiskFull, e.descrizione);
    return e;
}

bool fallitoDb(Interaction& ui, ProgressSink& sink, const QString& proc, const Esito& guasto, const QString& messaggio,
               Interaction::Icon icona = Interaction::Icon::None)
{
    const Esito e = causaReale(guasto);
    ScriviErrore(kModulo, proc, e);
    sink.setStatus(QString());
    const QString motivo =
        e.numero == int(VbErr::DiskFull) ? QStringLiteral("Disco pieno: liberare spazio e riprovare") : e.descrizione;
    // Held by another program: nothing to check in the selections, only to wait.
    ui.ask(Db::perUtente(e, messaggio + QStringLiteral("\r\n") + motivo) +
               QStringLiteral(" - L'archivio non è stato modificato"),
           Interaction::Ok, icona);
    return false;
}

void avanza(ProgressSink& sink, int i)
{
    if (i % kPassoAvanzamento == 0)
        sink.setValue(i);
}

// The number in `testo` for line `r`, read by `leggi`, when the archive takes it; a text that
// holds something else adds the line to `illeggibili` and gives nothing.
std::optional<double> valore(const QString& testo, Valore tipo, const RigaImport& r, QList<int>& illeggibili,
                             std::optional<double> (*leggi)(const QString&))
{
    if (testo.trimmed().isEmpty())
        return std::nullopt;
    const auto v = accettabile(leggi(testo), tipo);
    if (!v)
        illeggibili << r.riga;
    return v;
}

// The unreadable lines, once the import holds, in the log as the user is told them.
void registraIlleggibili(const QString& proc, const RiepilogoImport& riepilogo)
{
    if (riepilogo.illeggibili.isEmpty())
        return;
    RiepilogoImport solo;
    solo.illeggibili = riepilogo.illeggibili;
    ScriviErrore(kModulo, proc, VbErr::TypeMismatch, solo.testo().section(QStringLiteral("\r\n"), 1));
}

// The next free code, counted on in memory inside the transaction.
struct Codici
{
    qint64 prossimo = 0;
    Esito inizia()
    {
        QString errore;
        const auto n = Articoli::nuovoCodice(&errore);
        prossimo = n.value_or(0);
        return n ? Esito::riuscito() : Esito::fallito(VbErr::DatabaseError, errore);
    }
    qint64 nuovo() { return prossimo++; }
};

using ScriviRiga = std::function<Esito(Articoli::Lotto&, const RigaImport&, int)>;

// Writes the rows in one transaction: `prima` once, then `scrivi` for each row in turn. A failure
// anywhere leaves nothing written. `colonne`: what the found articles are read and updated in
// (empty: every column).
Esito scriviRighe(const QVector<RigaImport>& righe, ProgressSink& sink, const std::function<Esito()>& prima,
                  const ScriviRiga& scrivi, const QStringList& colonne = {})
{
    sink.setRange(0, int(righe.size()));
    sink.setValue(0);
    Db::Transaction t;
    Esito e = t.ok() ? prima() : Esito::fallito(VbErr::DatabaseError, Db::dbNegozio().lastError().text());
    Articoli::Lotto lotto(colonne);
    for (int i = 0; e && i < righe.size(); ++i) {
        e = scrivi(lotto, righe.at(i), i);
        avanza(sink, i);
    }
    if (e && !t.commit())
        e = Esito::fallito(VbErr::DatabaseError, QStringLiteral("commit: ") + t.errore());
    if (!e)
        t.rollback();
    else
        sink.setValue(int(righe.size()));
    return e;
}

// Fills in an article from a row; `esiste` tells a stored article from a new one. A failure (a
// read it needed) stops the import.
using Compila = std::function<Esito(Articolo& a, bool esiste, const RigaImport& r)>;

// Merges rows into the archive one at a time, inside the caller's transaction: a row's article is
// the one with its barcode (then, with `ancheCodiceFornitore`, the one with its supplier code),
// else a new one on the next free code. A blank code is no code: it would make one article of
// every line without one. `compila` may change only the columns the Lotto was made for in a found
// article; a new one is written whole.
class Fusione
{
public:
    Fusione(bool ancheCodiceFornitore, const Compila& compila)
        : m_ancheCodiceFornitore(ancheCodiceFornitore), m_compila(compila)
    {
    }
    Esito inizia() { return m_codici.inizia(); }
    Esito fondi(Articoli::Lotto& lotto, const RigaImport& r)
    {
        const QString bc = r.barCode.trimmed();
        Letto<Articolo> trovato = bc.isEmpty() ? Letto<Articolo>::assente() : lotto.perBarCode(bc);
        if (m_ancheCodiceFornitore && trovato.ok && !trovato.valore && !r.codArticoloFornitore.trimmed().isEmpty())
            trovato = lotto.perCodiceFornitore(r.codArticoloFornitore);
        if (!trovato.ok)
            return Esito::fallito(VbErr::DatabaseError, trovato.errore);
        const bool esiste = trovato.valore.has_value();
        Articolo a = esiste ? *trovato.valore : Articolo();
        if (!esiste)
            a.codMateriale = m_codici.nuovo();
        if (const Esito c = m_compila(a, esiste, r); !c)
            return c;
        return esiste ? lotto.aggiorna(a) : lotto.inserisci(a);
    }

private:
    bool m_ancheCodiceFornitore;
    Compila m_compila;
    Codici m_codici;
};

// The rows merged in one transaction (see Fusione); `colonne`: the columns `compila` may change
// in a found article (empty: every column).
Esito fondiRighe(const QVector<RigaImport>& righe, ProgressSink& sink, bool ancheCodiceFornitore,
                 const Compila& compila, const QStringList& colonne = {})
{
    Fusione fusione(ancheCodiceFornitore, compila);
    return scriviRighe(
        righe, sink, [&] { return fusione.inizia(); },
        [&](Articoli::Lotto& lotto, const RigaImport& r, int) { return fusione.fondi(lotto, r); }, colonne);
}

// Keeps the archive as it is now as `cartella`/DbNegozio.db, replacing the older copy only once
// the new one is whole. SQLite writes the copy itself (VACUUM INTO), so it is consistent
// although the database is open.
Esito copiaArchivio(const QString& cartella)
{
    if (!QDir().mkpath(cartella) || !QFileInfo(cartella).isDir())
        return Esito::fallito(VbErr::PathNotFound, cartella);
    const QDir d(cartella);
    const QString finale = d.filePath(QStringLiteral("DbNegozio.db"));
    const QString nuova = d.filePath(QStringLiteral("DbNegozio.db.nuova"));
    const QString aperto = QFileInfo(Db::currentPath()).canonicalFilePath();
    if (aperto.isEmpty() || QFileInfo(finale).canonicalFilePath() == aperto)
        return Esito::fallito(VbErr::PermissionDenied, finale);
    // SQLite would follow a link of that name: the copy goes into an empty file made here, anew.
    const TextFile::Aperto a = TextFile::creaNuovo(nuova, true);
    if (!a)
        return a.motivo;
    ::close(a.fd);
    QString err;
    if (!Db::exec(QStringLiteral("VACUUM INTO ?"), {nuova}, &err)) {
        QFile::remove(nuova);
        return causaReale(Esito::fallito(VbErr::DatabaseError, err));
    }
    {
        QFile f(nuova);
        if (!f.open(QIODevice::ReadWrite) || ::fsync(f.handle()) != 0) {
            f.close();
            QFile::remove(nuova);
            return causaReale(Esito::fallito(VbErr::DiskFull, nuova));
        }
    }
    // A journal left beside an older copy would be played back into the new one.
    for (const char* resto : {"-journal", "-wal", "-shm"}) {
        const QString j = finale + QLatin1String(resto);
        if (QFileInfo::exists(j) && !QFile::remove(j)) {
            QFile::remove(nuova);
            return Esito::fallito(VbErr::PermissionDenied, j);
        }
    }
    if (std::rename(QFile::encodeName(nuova).constData(), QFile::encodeName(finale).constData()) != 0) {
        QFile::remove(nuova);
        return Esito::fallito(VbErr::PermissionDenied, finale);
    }
    return Esito::riuscito();
}

} // namespace

// ---------------------------------------------------------------- text price list

bool EseguiImportTesto(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink,
                       RiepilogoImport& riepilogo)
{
    const QString proc = QStringLiteral("EseguiImportTesto");
    QStringList linee;
    if (!lineeDelFile(path, ui, sink, proc, linee))
        return false;
    QVector<RigaImport> righe;
    righe.reserve(linee.size());
    const bool fisso = imp.opzioneSeparatore == kPoseidon;
    int lette = 0;
    for (int i = 0; i < linee.size(); ++i) {
        const QString& l = linee.at(i);
        if (!l.trimmed().isEmpty())
            ++lette;
        RigaImport r;
        if (fisso ? lineaPoseidon(l, r) : lineaSeparata(l, imp, r)) {
            // A line without a description makes no article.
            if (r.descrizione.isEmpty())
                continue;
            r.riga = i + 1;
            righe << r;
        } else if (!fisso) {
            const int colonna = std::max({imp.posBC, imp.posRep, imp.posPV, imp.posDes});
            const QString motivo = l.isEmpty() ? QStringLiteral("La riga %1 è vuota").arg(i + 1)
                                               : QStringLiteral("La riga %1 ha %2 colonne, ma ne servono %3")
                                                     .arg(i + 1)
                                                     .arg(l.count(imp.separatore) + 1)
                                                     .arg(colonna);
            return rifiuta(ui, sink, proc, motivo, msgErrore());
        }
    }
    linee.clear();
    if (righe.isEmpty())
        return rifiuta(ui, sink, proc, QStringLiteral("Il file non contiene righe da importare"), msgErrore());
    riepilogo.lette = lette;
    riepilogo.saltate = lette - int(righe.size());

    // The whole archive is about to be replaced: keep it as it is first, or replace nothing.
    const QString cartella = cartellaCopiaArchivio();
    if (const Esito c = copiaArchivio(cartella); !c) {
        if (Db::inUso(c))
            return fallitoDb(ui, sink, proc, c, msgErrore());
        const QString motivo = (c.numero == int(VbErr::DiskFull) ? QStringLiteral("Disco pieno") : c.descrizione) +
                               QStringLiteral(": impossibile salvare la copia dell'archivio in ") +
                               QDir::toNativeSeparators(cartella) +
                               QStringLiteral(" - L'archivio non è stato sostituito");
        return rifiuta(ui, sink, proc, motivo, msgErrore());
    }

    QHash<int, QString> nomiReparto;
    const Esito e = scriviRighe(
        righe, sink, [] { return Articoli::svuotaArchivio(); },
        [&](Articoli::Lotto& lotto, const RigaImport& r, int i) {
            if (r.illeggibile)
                riepilogo.illeggibili << r.riga;
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
                if (it == nomiReparto.end()) {
                    const Letto<QString> nome = TrovaNomeRep(cod);
                    if (!nome.ok)
                        return Esito::fallito(VbErr::DatabaseError, nome.errore);
                    it = nomiReparto.insert(cod, *nome.valore);
                }
                a.genere = *it;
            }
            a.unitaMisura = QStringLiteral("Pz");
            a.fornitore = QStringLiteral("***");
            a.minimo = 0;
            return lotto.inserisci(a);
        });
    if (!e)
        return fallitoDb(ui, sink, proc, e, msgErrore());
    riepilogo.copia = cartella;
    registraIlleggibili(proc, riepilogo);
    return true;
}

// ---------------------------------------------------------------- supplier fixed-width

bool EseguiImportFornitore(const QString& path, const QString& fornitore, Interaction& ui, ProgressSink& sink,
                           RiepilogoImport& riepilogo)
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
    for (int i = 0; i < linee.size(); ++i) {
        const QString& l = linee.at(i);
        if (l.trimmed().isEmpty())
            continue;
        ++riepilogo.lette;
        RigaImport r;
        if (rcg ? lineaRCG(l, r) : lineaGronte(l, r)) {
            r.riga = i + 1;
            righe << r;
        }
    }
    linee.clear();
    riepilogo.saltate = riepilogo.lette - int(righe.size());
    if (righe.isEmpty())
        return rifiuta(ui, sink, proc,
                       QStringLiteral("Nessuna riga del tracciato %1 nel file (righe lette: %2)")
                           .arg(rcg ? QStringLiteral("RCG SERVICE") : QStringLiteral("GRONTE"))
                           .arg(riepilogo.lette),
                       msgErrore());

    QList<int>& illeggibili = riepilogo.illeggibili;
    // What a line may change in an article it finds; the rest of the row stays as it is.
    static const QStringList kColonne = {QStringLiteral("Descrizione"), QStringLiteral("\"Quantità\""),
                                         QStringLiteral("UnitaMisura"), QStringLiteral("Minimo"),
                                         QStringLiteral("Fornitore"),   QStringLiteral("BarCode"),
                                         QStringLiteral("Costo2"),      QStringLiteral("CodProdottoFornitore"),
                                         QStringLiteral("CodPV"),       QStringLiteral("Modificato")};
    const auto compila = [&](Articolo& a, bool esiste, const RigaImport& r) {
        if (r.illeggibile)
            illeggibili << r.riga;
        const QString bc = r.barCode.trimmed();
        const auto q = valore(r.quantita, Valore::Quantita, r, illeggibili, numeroItaliano);
        if (!esiste) {
            a.genere = QStringLiteral("***NEW***");
            a.quantita = q;
            a.costo = 0;
        } else if (q) {
            a.quantita = a.quantita.value_or(0) + *q;
        }
        a.descrizione = r.descrizione;
        a.codProdottoFornitore = r.codArticoloFornitore;
        if (const auto p = valore(r.prezzo, Valore::Prezzo, r, illeggibili, numeroItaliano))
            a.costo2 = p;
        // An empty barcode in the file never erases the stored one.
        if (!bc.isEmpty() || !esiste)
            a.barCode = bc;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = fornitore.left(kLunghezzaFornitore);
        a.minimo = 0;
        if (const auto v = valore(r.iva, Valore::Iva, r, illeggibili, numeroItaliano))
            a.codPV = v;
        a.modificato = true;
        return Esito::riuscito();
    };
    const Esito e = fondiRighe(righe, sink, true, compila, kColonne);
    if (!e)
        return fallitoDb(ui, sink, proc, e, msgErrore());
    registraIlleggibili(proc, riepilogo);
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

// A number cell's value as its text would be read back (CStr's 15 significant digits), without
// making the text; nothing for a value that has no text.
std::optional<double> numeroDiCella(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    char testo[64];
    const auto scritto = std::to_chars(testo, testo + sizeof testo, v, std::chars_format::general, 15);
    double letto = 0;
    if (scritto.ec != std::errc() || std::from_chars(testo, scritto.ptr, letto).ec != std::errc())
        return std::nullopt;
    return letto;
}

// Cell `indice` as a field of the record: a number cell's value into `numero`, any other cell's
// text into `testo`; an empty cell gives `vuota`.
void campo(const RigaCelle& celle, int indice, QString& testo, std::optional<double>& numero, double vuota)
{
    if (cellaVuota(celle, indice)) {
        numero = vuota;
        return;
    }
    const Cella& c = celle.at(indice);
    if (c.tipo == Cella::Tipo::Numero)
        numero = numeroDiCella(c.numero);
    if (!numero)
        testo = c.comeTesto();
}

// The number of a field filled by campo(), when the archive takes it for its kind; a value it does
// not take adds the row to `illeggibili` and gives nothing.
std::optional<double> valoreCampo(const std::optional<double>& numero, const QString& testo, Valore tipo,
                                  const RigaImport& r, QList<int>& illeggibili)
{
    if (!numero)
        return valore(testo, tipo, r, illeggibili, numeroImport);
    const auto v = accettabile(numero, tipo);
    if (!v)
        illeggibili << r.riga;
    return v;
}

// The sheet's name as the user knows it (without the "$").
QString nomeVisibile(const QString& foglio)
{
    return foglio.endsWith(QLatin1Char('$')) ? foglio.chopped(1) : foglio;
}

// Reads the sheet and merges each row that `prendi` takes into the archive as it is read (see
// Fusione), in one transaction: the sheet is never held whole, and the archive changes only once
// every row was read and written. `prendi` is handed the row and its number in the sheet (the
// column names are row 1) and fills the record when it takes the row. False (message shown,
// nothing written) when the sheet cannot be read, has no data rows, is narrower than
// `colonneRichieste`, or a write fails.
bool fondiFoglio(const Cartella& c, const QString& foglio, int colonneRichieste, Interaction& ui, ProgressSink& sink,
                 RiepilogoImport& riepilogo, const std::function<bool(const RigaCelle&, int, RigaImport&)>& prendi,
                 const Compila& compila)
{
    sink.setRange(0, 0); // how many rows there are shows only at the end
    sink.setValue(0);
    Db::Transaction t;
    Fusione fusione(false, compila);
    Esito e = t.ok() ? fusione.inizia() : Esito::fallito(VbErr::DatabaseError, t.errore());
    Articoli::Lotto lotto;
    QString errore;
    int larghezza = 0;
    int lette = 0;
    int prese = 0;
    const bool letto = e && c.leggiFoglio(
                                foglio,
                                [&](const RigaCelle& celle) {
                                    ++lette;
                                    RigaImport r;
                                    if (prendi(celle, lette + 1, r)) {
                                        ++prese;
                                        e = fusione.fondi(lotto, r);
                                    }
                                    if (lette % kPassoAvanzamento == 0)
                                        sink.setValue(lette);
                                    return bool(e);
                                },
                                &errore, &larghezza);
    if (e && letto && lette > 0 && colonneRichieste <= larghezza && !t.commit())
        e = Esito::fallito(VbErr::DatabaseError, QStringLiteral("commit: ") + t.errore());
    if (!e) {
        t.rollback();
        return fallitoDb(ui, sink, kProcXls, e, msgImpossibile(), Interaction::Icon::Critical);
    }
    const auto rifiutaFoglio = [&](const QString& motivo) {
        t.rollback();
        return rifiuta(ui, sink, kProcXls, motivo, msgImpossibile(), Interaction::Icon::Critical);
    };
    if (!letto)
        return rifiutaFoglio(errore.isEmpty()
                                 ? QStringLiteral("Impossibile leggere il foglio \"%1\"").arg(nomeVisibile(foglio))
                                 : errore);
    if (lette == 0)
        return rifiutaFoglio(QStringLiteral("Il foglio \"%1\" non contiene righe di dati").arg(nomeVisibile(foglio)));
    if (colonneRichieste > larghezza)
        return rifiutaFoglio(QStringLiteral("La colonna %1 è oltre il foglio \"%2\", che ne ha %3")
                                 .arg(colonneRichieste)
                                 .arg(nomeVisibile(foglio))
                                 .arg(larghezza));
    sink.setRange(0, lette);
    sink.setValue(lette);
    riepilogo.lette = lette;
    riepilogo.saltate = lette - prese;
    return true;
}

QString nomeFoglio(const QString& tabella)
{
    return QString(tabella).remove(QLatin1Char('\'')).toUpper();
}

bool EseguiImportGENERICO(const Cartella& cartella, const QString& foglio, const ImpostazioniImport& imp,
                          Interaction& ui, ProgressSink& sink, RiepilogoImport& riepilogo)
{
    sink.setStatus(QStringLiteral("Importazione in corso..."));
    const int richieste = std::max(
        {imp.posDes, imp.posCFOR, imp.posBC, imp.posQta, imp.posPV, imp.posIVA, imp.posFOR, imp.posACQ, imp.posRep});
    const auto prendi = [&](const RigaCelle& c, int n, RigaImport& r) {
        if (cellaVuota(c, imp.posDes - 1))
            return false;
        r.riga = n;
        r.descrizione = testoCella(c, imp.posDes - 1).left(kLunghezzaDescrizione);
        r.codArticoloFornitore = testoCella(c, imp.posCFOR - 1);
        r.barCode = testoCella(c, imp.posBC - 1);
        r.quantitaVuota = imp.posQta == 0 || cellaVuota(c, imp.posQta - 1);
        campo(c, imp.posQta - 1, r.quantita, r.quantitaNumero, 2000);
        r.prezzoVuoto = cellaVuota(c, imp.posPV - 1);
        campo(c, imp.posPV - 1, r.prezzo, r.prezzoNumero, 0);
        campo(c, imp.posIVA - 1, r.iva, r.ivaNumero, 22);
        r.codForPrevalente = testoCella(c, imp.posFOR - 1).left(kLunghezzaFornitore);
        r.prezzoAcquistoVuoto = cellaVuota(c, imp.posACQ - 1);
        campo(c, imp.posACQ - 1, r.prezzoAcquisto, r.prezzoAcquistoNumero, 0);
        return true;
    };

    QList<int>& illeggibili = riepilogo.illeggibili;
    QHash<int, QString> repartoPerIva;
    const auto compila = [&](Articolo& a, bool esiste, const RigaImport& r) {
        const QString bc = r.barCode.trimmed();
        a.descrizione = r.descrizione;
        // An empty quantity or price keeps what a found article has.
        if (!(esiste && r.quantitaVuota)) {
            if (const auto q = valoreCampo(r.quantitaNumero, r.quantita, Valore::Quantita, r, illeggibili))
                a.quantita = q;
        }
        a.codProdottoFornitore = r.codArticoloFornitore;
        if (!(esiste && r.prezzoVuoto)) {
            if (const auto p = valoreCampo(r.prezzoNumero, r.prezzo, Valore::Prezzo, r, illeggibili))
                a.costo = p;
        }
        if (!(esiste && r.prezzoAcquistoVuoto)) {
            const auto p = valoreCampo(r.prezzoAcquistoNumero, r.prezzoAcquisto, Valore::Prezzo, r, illeggibili);
            if (p)
                a.costo2 = p;
        }
        a.barCode = bc;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = r.codForPrevalente.trimmed();
        a.minimo = 0;
        // An empty VAT cell reads as 22, so the department is the one of that rate.
        const auto v = valoreCampo(r.ivaNumero, r.iva, Valore::Iva, r, illeggibili);
        const auto n = v ? Vb::cint(*v) : std::nullopt;
        if (n) {
            a.codPV = *n;
            auto it = repartoPerIva.find(*n);
            if (it == repartoPerIva.end()) {
                const Letto<int> reparto = TrovaCodiceRepXIVA(*n);
                if (!reparto.ok)
                    return Esito::fallito(VbErr::DatabaseError, reparto.errore);
                it = repartoPerIva.insert(*n, QString::number(*reparto.valore));
            }
            a.genere = *it;
        }
        a.modificato = true;
        a.tipoVariazione = QStringLiteral("F");
        return Esito::riuscito();
    };
    if (!fondiFoglio(cartella, foglio, richieste, ui, sink, riepilogo, prendi, compila))
        return false;
    registraIlleggibili(kProcXls, riepilogo);
    return true;
}

bool EseguiImport(const Cartella& cartella, const QString& foglio, const QString& fornitore, Interaction& ui,
                  ProgressSink& sink, RiepilogoImport& riepilogo)
{
    sink.setStatus(QStringLiteral("Importazione in corso..."));
    const auto prendi = [&](const RigaCelle& c, int n, RigaImport& r) {
        if (cellaVuota(c, 0) || (c.at(0).tipo != Cella::Tipo::Numero && !Vb::isNumeric(testoCella(c, 0))))
            return false;
        // A row without a description makes no article (and would blank a found one's).
        if (cellaVuota(c, 2))
            return false;
        r.riga = n;
        r.codArticoloFornitore = testoCella(c, 0);
        r.barCode = testoCella(c, 1);
        r.descrizione = testoCella(c, 2).left(kLunghezzaDescrizione);
        campo(c, 4, r.quantita, r.quantitaNumero, 0);
        campo(c, 5, r.prezzo, r.prezzoNumero, 0);
        campo(c, 6, r.iva, r.ivaNumero, 20);
        return true;
    };

    QList<int>& illeggibili = riepilogo.illeggibili;
    int nuovi = 0; // logged only once the import holds
    const auto compila = [&](Articolo& a, bool esiste, const RigaImport& r) {
        const QString bc = r.barCode.trimmed();
        a.descrizione = r.descrizione;
        const auto q = valoreCampo(r.quantitaNumero, r.quantita, Valore::Quantita, r, illeggibili);
        if (esiste) {
            if (q)
                a.quantita = a.quantita.value_or(0) + *q;
        } else {
            ++nuovi;
            a.genere = QStringLiteral("***NEW***");
            a.quantita = q;
            a.costo = 0;
        }
        a.codProdottoFornitore = r.codArticoloFornitore;
        if (const auto p = valoreCampo(r.prezzoNumero, r.prezzo, Valore::Prezzo, r, illeggibili))
            a.costo2 = p;
        a.barCode = bc;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = fornitore.left(kLunghezzaFornitore);
        a.minimo = 0;
        if (const auto v = valoreCampo(r.ivaNumero, r.iva, Valore::Iva, r, illeggibili)) {
            if (const auto n = Vb::cint(*v))
                a.codPV = *n;
        }
        a.modificato = true;
        return Esito::riuscito();
    };
    if (!fondiFoglio(cartella, foglio, 0, ui, sink, riepilogo, prendi, compila))
        return false;
    for (int i = 0; i < nuovi; ++i)
        ScriviErrore(kModulo, kProcXls, QStringLiteral("Non trovo cod fornitore"), QStringLiteral("0"));
    registraIlleggibili(kProcXls, riepilogo);
    return true;
}

} // namespace

bool ImportaFoglioPRODOTTI(const Cartella& cartella, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink,
                           RiepilogoImport& riepilogo)
{
    for (const QString& t : cartella.fogli()) {
        if (nomeFoglio(t) == QLatin1String("PRODOTTI$"))
            return EseguiImportGENERICO(cartella, t, imp, ui, sink, riepilogo);
    }
    return rifiuta(ui, sink, QStringLiteral("ImportaFoglioPRODOTTI"),
                   QStringLiteral("Il file non contiene un foglio di nome \"PRODOTTI\""), msgImpossibile(),
                   Interaction::Icon::Critical);
}

bool ImportaPrimoFoglio(const Cartella& cartella, const QString& fornitore, Interaction& ui, ProgressSink& sink,
                        RiepilogoImport& riepilogo)
{
    const QStringList fogli = cartella.fogli();
    if (fogli.isEmpty())
        return rifiuta(ui, sink, QStringLiteral("ImportaPrimoFoglio"), QStringLiteral("Il file non contiene fogli"),
                       msgImpossibile(), Interaction::Icon::Critical);
    return EseguiImport(cartella, fogli.first(), fornitore, ui, sink, riepilogo);
}

} // namespace Listini
