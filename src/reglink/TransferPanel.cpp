#include "reglink/TransferPanel.h"

#include "core/ui/frmInfo.h"

namespace Pannello {

void avviso(const PannelloTrasferimento& p, const QString& testo)
{
    if (p.avviso)
        p.avviso(testo);
    else
        frmInfo::mostra(testo);
}

QString testoTab(const PannelloTrasferimento& p)
{
    return p.testoTab ? p.testoTab() : QString();
}

void setTestoTab(const PannelloTrasferimento& p, const QString& testo)
{
    if (p.setTestoTab)
        p.setTestoTab(testo);
}

void mostraTab(const PannelloTrasferimento& p, bool visibile)
{
    if (p.mostraTab)
        p.mostraTab(visibile);
}

void setRecTot(const PannelloTrasferimento& p, const QString& testo)
{
    if (p.setRecTot)
        p.setRecTot(testo);
}

void setRecAct(const PannelloTrasferimento& p, const QString& testo)
{
    if (p.setRecAct)
        p.setRecAct(testo);
}

void cursoreAttesa(const PannelloTrasferimento& p, bool attesa)
{
    if (p.cursoreAttesa)
        p.cursoreAttesa(attesa);
}

} // namespace Pannello
