#include "core/config/TabCollegate.h"

#include "core/AppState.h"
#include "core/IniFile.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("TabCollegate");
const QString kGestione = QStringLiteral("Gestione");
} // namespace

TabCollegate TabCollegate::leggi()
{
    return {!iniIsFalso(LeggiINI(app().percorsoSetup, kSezione, kGestione, QStringLiteral("?")))};
}

bool TabCollegate::scrivi(bool gestione)
{
    return ScriviINI(app().percorsoSetup, kSezione, kGestione, iniBool(gestione));
}

} // namespace Config
