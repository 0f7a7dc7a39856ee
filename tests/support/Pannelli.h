#pragma once
// The hosts of a transfer as plain values, for tests of the register link without the windows.
#include "editing/ui/ArchivioCallbacks.h"
#include "reglink/TransferPanel.h"

#include <QList>
#include <QStringList>
#include <functional>

// The register line's state texts, in order.
class StatoLineaProva final : public StatoLinea
{
public:
    void mostraStato(const QString& t) override { testi << t; }
    QStringList testi;
};

class PannelloProva final : public PannelloTrasferimento
{
public:
    void cursoreAttesa(bool on) override { cursore << on; }
    void mostraStato(const QString& t) override { statiLinea << t; }
    bool soloModificati() override { return modificati; }
    void setSoloModificati(bool on) override
    {
        if (suSoloModificati)
            suSoloModificati(on);
        else
            modificati = on;
    }
    void selezionaTrasf(int i) override { trasf = i; }
    QString testoTab() override { return tab; }
    void setTestoTab(const QString& t) override { tab = t; }
    void mostraTab(bool on) override { tabVisibile = on; }
    void setRecTot(const QString& t) override { recTotTesti << t; }
    void setRecAct(const QString& t) override { recAct = t; }
    void setProgressRange(int, int max) override { progressMax = max; }
    void setProgressValue(int v) override { progress = v; }
    int totArticoli() override { return totArt; }
    bool importaAttivo() override { return timer; }
    void setImportaAttivo(bool on) override
    {
        timer = on;
        if (suImportaAttivo)
            suImportaAttivo(on);
    }
    void ripetiRicerca() override { ++ricerche; }

    bool modificati = false;
    bool timer = false;
    int trasf = -1;
    QString tab;
    bool tabVisibile = false;
    QStringList recTotTesti;
    QString recAct;
    int progressMax = -1;
    int progress = 0;
    int totArt = 0;
    int ricerche = 0;
    QList<bool> cursore;
    QStringList statiLinea;
    std::function<void(bool)> suSoloModificati; // instead of storing the tick
    std::function<void(bool)> suImportaAttivo;  // after storing the state
};

class PannelloRepartiProva final : public PannelloReparti
{
public:
    void cursoreAttesa(bool) override {}
    void mostraAvviso(bool v) override { avviso << v; }
    void setTestoAvviso(const QString& t) override { testoAvviso = t; }
    void mostraStato(const QString& t) override { statiLinea << t; }
    QList<bool> avviso;
    QString testoAvviso;
    QStringList statiLinea;
};

// The article window as the editing windows see it, recording what they asked of it.
class ArchivioProva : public ArchivioCallbacks
{
public:
    void ricaricaTutti(Ordine o) override
    {
        ricariche << (o == Ordine::PerDescrizione ? QStringLiteral("descrizione") : QStringLiteral("codice"));
    }
    void spuntaModificati() override { ++spunte; }
    void ripetiRicerca() override { ++ricerche; }
    void focusRicBarCode() override { ++focus; }
    void nascondiLblTab() override { lblTabNascosta = true; }
    void mostraLblTab(const QString& t) override { lblTab = t; }
    QStringList ricariche;
    int spunte = 0;
    int ricerche = 0;
    int focus = 0;
    bool lblTabNascosta = false;
    QString lblTab;
};
