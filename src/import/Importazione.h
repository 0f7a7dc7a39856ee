#pragma once
// The price-list imports behind the import window: the column checks, the dispatch of
// "&Procedi" and the four engines (separated or "Poseidon 35" text, supplier fixed-width,
// the generic "PRODOTTI" sheet, a supplier's first sheet). Each engine reads and checks the
// whole file first and then writes the archive in one transaction: a bad file or a database
// failure changes nothing. Engines report progress through the sink and ask through the
// interaction; they never touch a window.
#include "import/RigaImport.h"

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

namespace Importazione {

inline constexpr int kPoseidon = 4;

QString msgErrore();      // "Errore in Importazione - Controllare le selezioni e riprovare"
QString msgImpossibile(); // "Impossibile eseguire l'importazione"
QString msgInCorso();     // "Importazione dati PLU in corso..."
QString msgTerminata();   // "Importazione Dati PLU - Terminata"

// The checks of the window: the message that refuses the settings, or empty when they pass.
QString ControllaPosizioniTesto(const ImpostazioniImport& imp);
QString ControllaPosizioniXLS(const ImpostazioniImport& imp);

// Steps 5 to 7 of "&Procedi" on a chosen, existing file: the check and the engine the settings
// choose. True when an engine ran to its end (the window then closes); false when a check, a
// missing layout or a bad file stopped it (the window stays, its message already shown).
bool EseguiImportazione(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink);

// The engines.
bool EseguiImportTesto(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink);
bool EseguiImportFornitore(const QString& path, const QString& fornitore, Interaction& ui, ProgressSink& sink);
bool ImportaFoglioPRODOTTI(const Cartella& cartella, const ImpostazioniImport& imp, Interaction& ui,
                           ProgressSink& sink);
bool ImportaPrimoFoglio(const Cartella& cartella, const QString& fornitore, Interaction& ui, ProgressSink& sink);

// The line readers (also fuzzed). Each returns false for a line it does not take.
// Poseidon: false for an empty or all-blank line.
bool lineaPoseidon(const QString& linea, RigaImport& r);
// Separated: false when a chosen column lies beyond the line's pieces (the whole file is refused).
bool lineaSeparata(const QString& linea, const ImpostazioniImport& imp, RigaImport& r);
// Supplier layouts: false for a line the layout skips.
bool lineaRCG(const QString& linea, RigaImport& r);
bool lineaGronte(const QString& linea, RigaImport& r);

// A cell or field text as a number: Italian reading, and a text with one point and no comma
// ("1.50") is a decimal.
std::optional<double> numeroImport(const QString& testo);
// The Italian reading alone (CDbl), quick for plain numbers.
std::optional<double> numeroItaliano(const QString& testo);

} // namespace Importazione
