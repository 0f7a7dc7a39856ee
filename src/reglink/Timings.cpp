#include "reglink/Timings.h"

namespace RegLink {

Timings Timings::veloci()
{
    Timings t;
    t.portaLocaleUDP = 0;
    t.indirizzoLocale = QHostAddress(QHostAddress::LocalHost);
    return t;
}

} // namespace RegLink
