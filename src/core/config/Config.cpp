#include "core/config/Config.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("Config");
}

bool Generale::flag(const QString& chiave)
{
    return leggiFlag(kSezione, chiave);
}

bool Generale::verificaCodiceFornitore()
{
    const QString chiave = QStringLiteral("VerificaCodiceFornitore");
    const QString v = LeggiINI(app().percorsoSetup, kSezione, chiave, QStringLiteral("?"));
    if (v == QLatin1String("?")) {
        scriviPredefinito(kSezione, chiave, iniBool(false));
        return false;
    }
    return v.toUpper() == QLatin1String("VERO");
}

bool Generale::salvaRepartoComeCodice()
{
    return flag(QStringLiteral("SalvaRepartoComeCODICE"));
}

bool Generale::tastieraVisibile()
{
    return !iniIsFalso(
        LeggiINI(app().percorsoSetup, kSezione, QStringLiteral("TastieraVisibile"), QStringLiteral("?")));
}

} // namespace Config
