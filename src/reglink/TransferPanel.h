#pragma once
// What the register link needs of the window that hosts a transfer. Every method is required:
// a host that leaves one out does not compile.
#include <QString>

// Where the register line tells which port or channel it has just opened ("APERTO PORTA COM: 1"):
// the article window's lblTab.
class StatoLinea
{
public:
    virtual ~StatoLinea() = default;
    virtual void mostraStato(const QString& testo) = 0;
};

// Any host of a transfer: the article window, the department window.
class OspiteTrasferimento : public StatoLinea
{
public:
    // The hourglass for the whole run.
    virtual void cursoreAttesa(bool attesa) = 0;
};

// The article window's part in sending PLUs and receiving sold quantities.
class PannelloTrasferimento : public OspiteTrasferimento
{
public:
    // ckModificati: read, and set by the program (setting it runs its click handler as a user's change).
    virtual bool soloModificati() = 0;
    virtual void setSoloModificati(bool on) = 0;
    // optTrasf: 1 "x INVIO PLU Modificati", 0 "x INVIO Intero Archivio".
    virtual void selezionaTrasf(int indice) = 0;

    // lblTab, the status text box.
    virtual QString testoTab() = 0;
    virtual void setTestoTab(const QString& testo) = 0;
    virtual void mostraTab(bool visibile) = 0;

    // lblRecTot, lblRecAct, pB1, lblTotArt.
    virtual void setRecTot(const QString& testo) = 0;
    virtual void setRecAct(const QString& testo) = 0;
    virtual void setProgressRange(int minimo, int massimo) = 0;
    virtual void setProgressValue(int valore) = 0;
    virtual int totArticoli() = 0;

    // tmrImporta, the IN-folder poll.
    virtual bool importaAttivo() = 0;
    virtual void setImportaAttivo(bool on) = 0;

    // RipetiRicerca: reloads the article list.
    virtual void ripetiRicerca() = 0;
};

// The department window's part in sending departments: frAvviso shown or hidden, lblAvviso's caption.
class PannelloReparti : public OspiteTrasferimento
{
public:
    virtual void mostraAvviso(bool visibile) = 0;
    virtual void setTestoAvviso(const QString& testo) = 0;
};

namespace Pannello {
// The timed notice (questions and notices go through the program's Contesto::interazione()).
void avviso(OspiteTrasferimento& p, const QString& testo);
inline QString testoTab(PannelloTrasferimento& p)
{
    return p.testoTab();
}
inline void setTestoTab(PannelloTrasferimento& p, const QString& testo)
{
    p.setTestoTab(testo);
}
inline void mostraTab(PannelloTrasferimento& p, bool visibile)
{
    p.mostraTab(visibile);
}
inline void setRecTot(PannelloTrasferimento& p, const QString& testo)
{
    p.setRecTot(testo);
}
inline void setRecAct(PannelloTrasferimento& p, const QString& testo)
{
    p.setRecAct(testo);
}
inline void cursoreAttesa(OspiteTrasferimento& p, bool attesa)
{
    p.cursoreAttesa(attesa);
}
} // namespace Pannello
