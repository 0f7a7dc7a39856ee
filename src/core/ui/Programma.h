#pragma once
// What the core windows (splash, main window) need of the program built on top of them: the
// article window, the program's end and the external-database step at start-up. The program
// (src/app) implements it; tests implement what they look at. Every method is required.
#include "core/ErrorLog.h"
#include "core/Progress.h"

class Programma
{
public:
    virtual ~Programma() = default;
    virtual void mostraMagazzinoModale() = 0; // the start-up handover
    virtual void mostraMagazzino() = 0;       // the toolbar button
    virtual void terminaProgramma() = 0;      // the exit question's OK
    // The external-database link at start-up: `collegate` true when the copy is to run now.
    virtual Esito gestisciTabelleCollegate(ProgressSink& progresso, bool& collegate) = 0;
    virtual Esito importaDaDatabaseEsterno(ProgressSink& progresso) = 0;
};

namespace Contesto {
// The installed program; using it before one is installed is a programming error.
Programma& programma();
void installaProgramma(Programma* p);
} // namespace Contesto
