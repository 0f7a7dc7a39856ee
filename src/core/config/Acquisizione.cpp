#include "core/config/Acquisizione.h"

#include "core/AppState.h"
#include "core/IniFile.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("Acquisizione");
}

Acquisizione Acquisizione::leggi()
{
    const QString v = LeggiINI(app().percorsoSetup, kSezione, QStringLiteral("Metodo"), QStringLiteral("?"));
    return Acquisizione{v == QLatin1String("2") ? 2 : 1};
}

bool Acquisizione::scrivi(int metodo)
{
    return ScriviINI(app().percorsoSetup, kSezione, QStringLiteral("Metodo"), QString::number(metodo));
}

} // namespace Config
