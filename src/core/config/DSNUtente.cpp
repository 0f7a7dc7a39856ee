#include "core/config/DSNUtente.h"

#include "core/AppState.h"
#include "core/IniFile.h"

namespace Config {

bool DSNUtente::scriviCreato()
{
    return ScriviINI(app().percorsoSetup, QStringLiteral("DSNUtente"), QStringLiteral("Creato"), iniBool(true));
}

} // namespace Config
