#pragma once
// The program's start-up sequence: single instance, state, date check, error-log rotation,
// database, settings, then the start-up window. A failing step shows its message and asks
// "Errore in fase di inizializzazione." with Abort / Retry / Ignore.
#include "core/ErrorLog.h"

#include <functional>

namespace Startup {

// Runs the sequence; false when the program must end now (another instance runs, or Abort).
bool Main();

// One step under the start-up error path: true to go on (success or Ignore), false to end.
bool eseguiPasso(const std::function<Esito()>& step);

// Opens Dati/DbNegozio.db under the program folder, checking the folder first.
Esito apriDatabaseNegozio();

// The system-date step: checks [DataSistema] Data and, when the clock was set back, asks the
// user for the right date (frmDataSistema). A settings file that cannot be written is an error.
Esito controllaDataSistema();

// Releases the single-instance lock (at exit, and in tests).
void rilasciaIstanza();

} // namespace Startup
