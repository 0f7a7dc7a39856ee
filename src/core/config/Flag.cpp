#include "core/config/Flag.h"

#include "core/AppState.h"
#include "core/IniFile.h"

namespace Config {

bool leggiFlag(const QString& sezione, const QString& chiave, Vuoto vuoto)
{
    const QString setup = app().percorsoSetup;
    const QString v = LeggiINI(setup, sezione, chiave, QStringLiteral("?"));
    if (v == QLatin1String("?") || (vuoto == Vuoto::Mancante && v.isEmpty())) {
        ScriviINI(setup, sezione, chiave, iniBool(false));
        return false;
    }
    return !iniIsFalso(v);
}

QString leggiTesto(const QString& sezione, const QString& chiave)
{
    const QString v = LeggiINI(app().percorsoSetup, sezione, chiave, QStringLiteral("?"));
    return v == QLatin1String("?") ? QString() : v;
}

} // namespace Config
