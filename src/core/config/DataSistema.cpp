#include "core/config/DataSistema.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"
#include "core/config/Flag.h"

namespace Config {

DataSistema DataSistema::leggi()
{
    return {leggiValore(QStringLiteral("DataSistema"), QStringLiteral("Data"))};
}

bool DataSistema::scrivi(const QDate& d)
{
    return ScriviINI(app().percorsoSetup, QStringLiteral("DataSistema"), QStringLiteral("Data"), Vb::formatDate(d));
}

} // namespace Config
