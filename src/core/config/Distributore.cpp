#include "core/config/Distributore.h"

#include "core/AppState.h"
#include "core/IniFile.h"

namespace Config {

Distributore Distributore::leggi()
{
    return {LeggiINI(app().percorsoSetup, QStringLiteral("Distributore"), QStringLiteral("Nome"), QStringLiteral("?"))};
}

} // namespace Config
