#pragma once
// What the core windows (splash, main window) and the register link need of the program built on
// top of them: the article window, the program's ends and the external-database step at start-up.
// The program (src/app) implements it and installs it in the context (Contesto::programma());
// tests implement what they look at. Every method is required.
#include "core/Contesto.h"
#include "core/ErrorLog.h"
#include "core/Progress.h"

class Programma
{
public:
    virtual ~Programma() = default;
    virtual void mostraMagazzinoModale() = 0; // the start-up handover
    virtual void mostraMagazzino() = 0;       // the toolbar button
    virtual void terminaProgramma() = 0;      // the exit question's OK
    // A fatal device error (class 9) on a register: the database closed, the instance lock
    // released, a non-zero exit status.
    virtual void terminaPerErroreGrave() = 0;
    // The external-database link at start-up: `collegate` true when the copy is to run now.
    virtual Esito gestisciTabelleCollegate(ProgressSink& progresso, bool& collegate) = 0;
    virtual Esito importaDaDatabaseEsterno(ProgressSink& progresso) = 0;
};
