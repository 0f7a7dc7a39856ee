#pragma once
// The price-list imports behind the import window: the column checks, the dispatch of
// "&Procedi" and the four engines (separated or "Poseidon 35" text, supplier fixed-width,
// the generic "PRODOTTI" sheet, a supplier's first sheet). Each engine writes the archive in one
// transaction: a bad file or a database failure changes nothing. The text engines read and check
// the whole file first; the spreadsheet engines write each row as the sheet is read, so a large
// sheet is never held in memory. Engines report progress through the sink and ask through the
// interaction; they never touch a window.
#include "import/RigaImport.h"

#include <QList>
#include <QString>
#include <QVector>
#include <optional>

class Cartella;
class Interaction;
class ProgressSink;

// What the window's controls say when "&Procedi" is pressed. Column numbers count from 1;
// 0 is an empty combo.
struct ImpostazioniImport
{
    bool fileExcel = false;    // ckFileExcel
    QString fornitore;         // cbFornitore
    int opzioneSeparatore = 1; // optSeparatore index 0..5, -1 none selected; 4 is "Poseidon 35"
    QString separatore = QStringLiteral(";");
    int posDes = 0, posQta = 0, posBC = 0, posRep = 0, posPV = 0;
    int posACQ = 0, posIVA = 0, posCFOR = 0, posFOR = 0;
};

namespace Listini {

inline constexpr int kPoseidon = 4;
// The widths the spreadsheet imports cut their texts to, and every other import with them.
inline constexpr int kLunghezzaDescrizione = 50;
inline constexpr int kLunghezzaFornitore = 100;

QString msgErrore();      // "Errore in Importazione - Controllare le selezioni e riprovare"
QString msgImpossibile(); // "Impossibile eseguire l'importazione"
QString msgInCorso();     // "Importazione dati PLU in corso..."
QString msgTerminata();   // "Importazione Dati PLU - Terminata"

// The checks of the window: the message that refuses the settings, or empty when they pass.
QString ControllaPosizioniTesto(const ImpostazioniImport& imp);
QString ControllaPosizioniXLS(const ImpostazioniImport& imp);

// What a finished import tells the user after "Operazione terminata".
struct [[nodiscard]] RiepilogoImport
{
    int lette = 0;          // lines (rows) of the file that hold something
    int saltate = 0;        // of those, the ones that made no article
    QList<int> illeggibili; // lines with a value left unset because it could not be read
    QString copia;          // the folder holding the archive as it was before a replacing import

    // The closing lines: counts, unreadable lines (the first ten), where the old archive is.
    QString testo() const;
};

// Steps 5 to 7 of "&Procedi" on a chosen, existing file: the check and the engine the settings
// choose. True when an engine ran to its end (the window then closes; `riepilogo` says what it
// did); false when a check, a missing layout or a bad file stopped it (the window stays, its
// message already shown, with the reason on its second line).
bool EseguiImportazione(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink,
                        RiepilogoImport* riepilogo = nullptr);

// The engines.
bool EseguiImportTesto(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink,
                       RiepilogoImport& riepilogo);
bool EseguiImportFornitore(const QString& path, const QString& fornitore, Interaction& ui, ProgressSink& sink,
                           RiepilogoImport& riepilogo);
bool ImportaFoglioPRODOTTI(const Cartella& cartella, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink,
                           RiepilogoImport& riepilogo);
bool ImportaPrimoFoglio(const Cartella& cartella, const QString& fornitore, Interaction& ui, ProgressSink& sink,
                        RiepilogoImport& riepilogo);

// The folder, beside the open database, where a replacing import keeps the archive as it was
// (as "DbNegozio.db", so "Cambia Dati" can open it again).
QString cartellaCopiaArchivio();

// The line readers (also fuzzed). Each returns false for a line it does not take; a field that
// cannot be read is left empty and the record marked `illeggibile`.
// A line without a description makes no article: the readers below refuse it, and the separated
// text engine skips a record whose description is empty.
// Poseidon: false for a line whose description is blank (an empty line, one cut before it).
bool lineaPoseidon(const QString& linea, RigaImport& r);
// Separated: false when a chosen column lies beyond the line's pieces (the whole file is refused).
bool lineaSeparata(const QString& linea, const ImpostazioniImport& imp, RigaImport& r);
// Supplier layouts: false for a line the layout skips: one whose description is blank (a header, a
// blank line, a line cut before the description; for RCG SERVICE also one not starting with "R").
// A field past the end of a line is empty.
bool lineaRCG(const QString& linea, RigaImport& r);
bool lineaGronte(const QString& linea, RigaImport& r);

// A spreadsheet cell's text as a number: Italian reading, where a point followed by groups of
// exactly three digits groups thousands ("2.000") and a lone point otherwise is a decimal
// ("1.50"); nullopt for anything else.
std::optional<double> numeroImport(const QString& testo);
// The Italian reading alone (CDbl), quick for plain numbers.
std::optional<double> numeroItaliano(const QString& testo);

// What a number read from a file may be: any finite value is not enough for the archive.
enum class Valore { Prezzo, Quantita, Iva };
// `v` when it is finite and one the archive takes for its kind (a price from 0 to 999.999,99, as
// the registers take it; a quantity under a billion in size; a VAT rate from 0 to 100); nullopt
// otherwise.
std::optional<double> accettabile(std::optional<double> v, Valore tipo);

} // namespace Listini
