#include "core/config/InterfacciaUtente.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

namespace {
const QString kSezione = QStringLiteral("InterfacciaUtente");
}

InterfacciaUtente InterfacciaUtente::leggi()
{
    return InterfacciaUtente{LeggiINI(app().percorsoSetup, kSezione, QStringLiteral("Colore"), QStringLiteral("?")),
                             leggiTesto(kSezione, QStringLiteral("ImgSfondo"))};
}

bool InterfacciaUtente::scrivi() const
{
    const QString setup = app().percorsoSetup;
    return ScriviINI(setup, kSezione, QStringLiteral("Colore"), colore) &&
           ScriviINI(setup, kSezione, QStringLiteral("ImgSfondo"),
                     imgSfondo.isEmpty() ? QStringLiteral("?") : imgSfondo);
}

} // namespace Config
