#include "core/config/STdiSISTEMA.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("STdiSISTEMA");
}

STdiSISTEMA STdiSISTEMA::leggi()
{
    return STdiSISTEMA{leggiTesto(kSezione, QStringLiteral("Predefinita")),
                       leggiTesto(kSezione, QStringLiteral("xFrontalini"))};
}

bool STdiSISTEMA::scrivi(const QString& chiave, const QString& stampante)
{
    return ScriviINI(app().percorsoSetup, kSezione, chiave, stampante);
}

} // namespace Config
