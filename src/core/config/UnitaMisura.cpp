#include "core/config/UnitaMisura.h"

#include "core/AppState.h"
#include "core/IniFile.h"

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
            ScriviINI(setup, kSezione, chiave(i + 1), QString::fromLatin1(predefinite[i]));
    QStringList out{QString()};
    for (int i = 1; i <= kUnitaMassime; ++i) {
        const QString v = LeggiINI(setup, kSezione, chiave(i), QStringLiteral("?"));
        if (v == QLatin1String("?"))
            break;
        out << v;
    }
    return out;
}

} // namespace Config
