#include "reglink/TransferPanel.h"

#include "core/Contesto.h"

namespace Pannello {

void avviso(OspiteTrasferimento&, const QString& testo)
{
    Contesto::interazione().notice(testo);
}

} // namespace Pannello
