#include "core/config/Promozioni.h"

#include "core/config/Flag.h"

namespace Config {

bool Promozioni::avvisoAttivo()
{
    return leggiFlag(QStringLiteral("Promozioni"), QStringLiteral("AvvisoAttivo"), Vuoto::Mancante);
}

} // namespace Config
