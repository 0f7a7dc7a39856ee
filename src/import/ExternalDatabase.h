#pragma once
// The linked external database: attaching its article and department tables and copying them
// into the archive at start-up.
#include "core/ErrorLog.h"
#include "core/Progress.h"

// Attaches the linked tables when they are configured: `collegate` true when the copy is to run
// now; a failed attach is the returned error.
Esito GestisciTabelleCollegate(ProgressSink& progresso, bool& collegate);
// Copies the linked external tables into Reparti and Magazzino.
Esito ImportaDaDatabaseEsterno(ProgressSink& progresso);
