#include "core/config/DataSistema.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("DataSistema");
const QString kData = QStringLiteral("Data");
} // namespace

DataSistema DataSistema::leggi()
{
    const QString v = LeggiINI(app().percorsoSetup, kSezione, kData, QStringLiteral("?"));
    if (v == QLatin1String("?"))
        return {};
    return {v};
}

bool DataSistema::scrivi(const QDate& d)
{
    return ScriviINI(app().percorsoSetup, kSezione, kData, Vb::formatDate(d));
}

} // namespace Config
