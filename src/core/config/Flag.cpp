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
    return leggiValore(sezione, chiave).value_or(QString());
}

std::optional<QString> leggiValore(const QString& sezione, const QString& chiave)
{
    QString v = LeggiINI(app().percorsoSetup, sezione, chiave, QStringLiteral("?"));
    if (v == QLatin1String("?"))
        return std::nullopt;
    return v;
}

} // namespace Config
