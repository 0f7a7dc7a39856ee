#include "import/ExternalDatabase.h"

bool GestisciTabelleCollegate()
{
    // The external-database link is not built yet: start-up always takes the timed handover.
    return false;
}

void ImportaDaDatabaseEsterno() {}
