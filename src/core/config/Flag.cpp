#include "core/config/Flag.h"

#include "core/AppState.h"
#include "core/ErrorLog.h"
#include "core/IniFile.h"

namespace Config {

void scriviPredefinito(const QString& sezione, const QString& chiave, const QString& valore)
{
    const QString setup = app().percorsoSetup;
    // Read again whole: a key that could not be read is not missing, and keeps its value.
    if (!ScriviINISeManca(setup, sezione, chiave, valore))
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("ScriviINI"), VbErr::PermissionDenied,
                     QStringLiteral("%1 [%2] %3=%4").arg(setup, sezione, chiave, valore));
}

bool leggiFlag(const QString& sezione, const QString& chiave, Vuoto vuoto)
{
    const QString setup = app().percorsoSetup;
    const QString v = LeggiINI(setup, sezione, chiave, QStringLiteral("?"));
    if (v == QLatin1String("?") || (vuoto == Vuoto::Mancante && v.isEmpty())) {
        scriviPredefinito(sezione, chiave, iniBool(false));
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
