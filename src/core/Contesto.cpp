#include "core/Contesto.h"

#include <QtGlobal>

namespace {
AppState* g_stato = nullptr;
Interaction* g_interazione = nullptr;
Programma* g_programma = nullptr;
RegLink::Collegamento* g_collegamento = nullptr;
Importazioni* g_importazioni = nullptr;
StampantiSistema* g_stampanti = nullptr;
Finestre* g_finestre = nullptr;
} // namespace

namespace Contesto {

AppState& stato()
{
    if (!g_stato)
        qFatal("Contesto: no program state installed");
    return *g_stato;
}

void installaStato(AppState* s)
{
    g_stato = s;
}

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

Programma& programma()
{
    if (!g_programma)
        qFatal("Contesto: no program installed");
    return *g_programma;
}

void installaProgramma(Programma* p)
{
    g_programma = p;
}

RegLink::Collegamento& collegamento()
{
    if (!g_collegamento)
        qFatal("Contesto: no register link installed");
    return *g_collegamento;
}

void installaCollegamento(RegLink::Collegamento* c)
{
    g_collegamento = c;
}

Importazioni& importazioni()
{
    if (!g_importazioni)
        qFatal("Contesto: no imports installed");
    return *g_importazioni;
}

void installaImportazioni(Importazioni* i)
{
    g_importazioni = i;
}

StampantiSistema& stampanti()
{
    if (!g_stampanti)
        qFatal("Contesto: no printers installed");
    return *g_stampanti;
}

void installaStampanti(StampantiSistema* s)
{
    g_stampanti = s;
}

Finestre& finestre()
{
    if (!g_finestre)
        qFatal("Contesto: no windows installed");
    return *g_finestre;
}

void installaFinestre(Finestre* f)
{
    g_finestre = f;
}

void reset()
{
    g_stampanti = nullptr;
    g_stato = nullptr;
    g_finestre = nullptr;
    g_importazioni = nullptr;
    g_interazione = nullptr;
    g_programma = nullptr;
    g_collegamento = nullptr;
}

} // namespace Contesto
