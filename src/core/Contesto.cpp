#include "core/Contesto.h"

#include <QtGlobal>

namespace {
Interaction* g_interazione = nullptr;
}

namespace Contesto {

Interaction& interazione()
{
    if (!g_interazione)
        qFatal("Contesto: no interaction installed");
    return *g_interazione;
}

void installaInterazione(Interaction* i)
{
    g_interazione = i;
}

void reset()
{
    g_interazione = nullptr;
}

} // namespace Contesto
