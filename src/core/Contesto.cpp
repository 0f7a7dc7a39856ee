#include "core/Contesto.h"

#include <QtGlobal>

namespace {

// One installed service; using it before it is installed is a programming error.
template <class T> struct Servizio
{
    const char* nome;
    T* installato = nullptr;
    T& usa() const
    {
        if (!installato)
            qFatal("Contesto: no %s installed", nome);
        return *installato;
    }
};

Servizio<AppState> g_stato{"program state"};
Servizio<Interaction> g_interazione{"interaction"};
Servizio<Programma> g_programma{"program"};
Servizio<RegLink::Collegamento> g_collegamento{"register link"};
Servizio<Importazioni> g_importazioni{"imports"};
Servizio<StampantiSistema> g_stampanti{"printers"};
Servizio<Finestre> g_finestre{"windows"};

} // namespace

namespace Contesto {

AppState& stato()
{
    return g_stato.usa();
}
void installaStato(AppState* s)
{
    g_stato.installato = s;
}
bool haStato()
{
    return g_stato.installato != nullptr;
}

Interaction& interazione()
{
    return g_interazione.usa();
}
void installaInterazione(Interaction* i)
{
    g_interazione.installato = i;
}

Programma& programma()
{
    return g_programma.usa();
}
void installaProgramma(Programma* p)
{
    g_programma.installato = p;
}

RegLink::Collegamento& collegamento()
{
    return g_collegamento.usa();
}
void installaCollegamento(RegLink::Collegamento* c)
{
    g_collegamento.installato = c;
}

Importazioni& importazioni()
{
    return g_importazioni.usa();
}
void installaImportazioni(Importazioni* i)
{
    g_importazioni.installato = i;
}

StampantiSistema& stampanti()
{
    return g_stampanti.usa();
}
void installaStampanti(StampantiSistema* s)
{
    g_stampanti.installato = s;
}

Finestre& finestre()
{
    return g_finestre.usa();
}
void installaFinestre(Finestre* f)
{
    g_finestre.installato = f;
}

void reset()
{
    g_stato.installato = nullptr;
    g_interazione.installato = nullptr;
    g_programma.installato = nullptr;
    g_collegamento.installato = nullptr;
    g_importazioni.installato = nullptr;
    g_stampanti.installato = nullptr;
    g_finestre.installato = nullptr;
}

} // namespace Contesto
