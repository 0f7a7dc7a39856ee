#pragma once
// The program composed: it owns the services the subsystems use (the message boxes and dialogs,
// the Italian texts of the standard dialogs, the windows, the system's printers, the register
// link, the imports) and wires the core windows to the article window and the external-database
// step. One instance lives for the whole run.
#include "core/AppState.h"
#include "core/Programma.h"
#include "core/ui/Finestre.h"
#include "core/ui/Printers.h"
#include "core/ui/Traduzioni.h"
#include "core/ui/WidgetInteraction.h"
#include "import/Importazioni.h"
#include "reglink/Collegamento.h"

class Tavrino final : public Programma
{
public:
    Tavrino();
    ~Tavrino() override;
    Tavrino(const Tavrino&) = delete;
    Tavrino& operator=(const Tavrino&) = delete;

    void mostraMagazzinoModale() override;
    void mostraMagazzino() override;
    void terminaProgramma() override;
    void terminaPerErroreGrave() override;
    Esito gestisciTabelleCollegate(ProgressSink& progresso, bool& collegate) override;
    Esito importaDaDatabaseEsterno(ProgressSink& progresso) override;

private:
    AppState m_stato;
    Traduzioni m_traduzioni;
    WidgetInteraction m_interazione;
    Finestre m_finestre;
    StampantiCups m_stampanti;
    RegLink::Collegamento m_collegamento;
    Importazioni m_importazioni;
};
