#pragma once
// The program's services in one place. The program (src/app) owns the real ones and installs them
// at start-up; tests install theirs (TestEnv). Logic asks the user through Contesto::interazione() and never
// opens a window itself.
#include "core/Interaction.h"

struct AppState;
class Finestre;
class Importazioni;
class StampantiSistema;
class Programma;
namespace RegLink {
class Collegamento;
}

namespace Contesto {

// The program-wide state (core/AppState.h, reached through app()); using it before one is
// installed is a programming error.
AppState& stato();
void installaStato(AppState* s);
// Whether one is installed: the error log runs also where none is (a tool, a test without one).
bool haStato();

// The installed interaction; using it before one is installed is a programming error.
Interaction& interazione();
void installaInterazione(Interaction* i);

// The installed program (core/Programma.h); using it before one is installed is a programming error.
Programma& programma();
void installaProgramma(Programma* p);

// The register link of this run (reglink/Collegamento.h): its timings, line and reply state.
RegLink::Collegamento& collegamento();
void installaCollegamento(RegLink::Collegamento* c);

// The system's printers (core/ui/Printers.h); using them before any are installed is a
// programming error.
StampantiSistema& stampanti();
void installaStampanti(StampantiSistema* s);

// The imports of this run (import/Importazioni.h): the engines, the IN poll, the import running.
Importazioni& importazioni();
void installaImportazioni(Importazioni* i);

// The program's windows (core/ui/Finestre.h): the default instances, the main window, the
// activation watch.
Finestre& finestre();
void installaFinestre(Finestre* f);

// Back to nothing installed (the program's end, a test's end).
void reset();

} // namespace Contesto
