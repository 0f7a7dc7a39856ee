#include "core/config/UnitaMisura.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

#include <iterator>

namespace Config {

namespace {
const QString kSezione = QStringLiteral("UnitaMisura");
constexpr int kUnitaMassime = 25;

QString chiave(int n)
{
    return QStringLiteral("Unita%1").arg(n);
}
} // namespace

QStringList UnitaMisura::elenco()
{
    const QString setup = app().percorsoSetup;
    static const char* const predefinite[] = {"Bot", "Pz", "Kg", "gr", "Lt", "Fogli", "Spicchi"};
    for (int i = 0; i < int(std::size(predefinite)); ++i)
        if (LeggiINI(setup, kSezione, chiave(i + 1), QStringLiteral("?")) == QLatin1String("?"))
            scriviPredefinito(kSezione, chiave(i + 1), QString::fromLatin1(predefinite[i]));
    QStringList out{QString()};
    for (int i = 1; i <= kUnitaMassime; ++i) {
        QString v = LeggiINI(setup, kSezione, chiave(i), QStringLiteral("?"));
        // A default that could not be written is still offered.
        if (v == QLatin1String("?") && i <= int(std::size(predefinite)))
            v = QString::fromLatin1(predefinite[i - 1]);
        if (v == QLatin1String("?"))
            break;
        out << v;
    }
    return out;
}

} // namespace Config
