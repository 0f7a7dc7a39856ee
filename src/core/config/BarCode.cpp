#include "core/config/BarCode.h"

#include "core/config/Flag.h"
#include "core/config/RegCassa.h"

namespace Config {

BarCode BarCode::leggi()
{
    const QString sezione = QStringLiteral("BarCode");
    BarCode b;
    b.porta.portaCOM = leggiTesto(sezione, QStringLiteral("PortaCOM"));
    b.porta.linea = leggiLinea(sezione);
    return b;
}

} // namespace Config
