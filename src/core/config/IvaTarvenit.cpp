#include "core/config/IvaTarvenit.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

QString IvaTarvenit::codice(int iva)
{
    const QString setup = app().percorsoSetup;
    const QString sezione = QStringLiteral("IVA TARVENIT");
    const QString chiave = QString::number(iva);
    const QString v = LeggiINI(setup, sezione, chiave, QStringLiteral("?"));
    if (v == QLatin1String("?") || v.isEmpty()) {
        scriviPredefinito(sezione, chiave, QStringLiteral("?"));
        return {};
    }
    return v;
}

} // namespace Config
