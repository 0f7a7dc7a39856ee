#include "core/config/Cartelle.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("Cartelle");
}

Cartelle Cartelle::leggi()
{
    return Cartelle{leggiTesto(kSezione, QStringLiteral("IN")), leggiTesto(kSezione, QStringLiteral("OUT"))};
}

bool Cartelle::scrivi() const
{
    const QString setup = app().percorsoSetup;
    return ScriviINI(setup, kSezione, QStringLiteral("IN"), in) &&
           ScriviINI(setup, kSezione, QStringLiteral("OUT"), out);
}

QString Cartelle::outPerComandi()
{
    QString out = leggi().out;
    if (out.isEmpty()) {
        out = QStringLiteral("C:");
        scriviPredefinito(kSezione, QStringLiteral("OUT"), out);
    }
    return out;
}

} // namespace Config
