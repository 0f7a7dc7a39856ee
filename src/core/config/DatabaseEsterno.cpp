#include "core/config/DatabaseEsterno.h"

#include "core/AppState.h"
#include "core/IniFile.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("DatabaseEsterno");
const QString kQuale = QStringLiteral("Quale");
} // namespace

bool DatabaseEsterno::configurato() const
{
    return !quale.isEmpty() && quale != QLatin1String("?");
}

DatabaseEsterno DatabaseEsterno::leggi()
{
    return {LeggiINI(app().percorsoSetup, kSezione, kQuale, QStringLiteral("?"))};
}

bool DatabaseEsterno::scrivi(const QString& quale)
{
    return ScriviINI(app().percorsoSetup, kSezione, kQuale, quale);
}

} // namespace Config
