#pragma once
// What the PLU send, the reception and the department transfer need of the window that hosts
// them (the article window, the department window): its progress controls, its options and a
// few services. Every member may be left empty; an empty one is simply not used.
#include <QString>
#include <functional>

struct PannelloTrasferimento
{
    // ckModificati: read, and set by the program (setting it runs its click handler as a user's change).
    std::function<bool()> soloModificati;
    std::function<void(bool)> setSoloModificati;
    // optTrasf: 1 "x INVIO PLU Modificati", 0 "x INVIO Intero Archivio".
    std::function<void(int)> selezionaTrasf;

    // lblTab, the status text box.
    std::function<QString()> testoTab;
    std::function<void(const QString&)> setTestoTab;
    std::function<void(bool)> mostraTab;

    // lblRecTot, lblRecAct, pB1, lblTotArt.
    std::function<void(const QString&)> setRecTot;
    std::function<void(const QString&)> setRecAct;
    std::function<void(int, int)> setProgressRange;
    std::function<void(int)> setProgressValue;
    std::function<int()> progressValue;
    std::function<int()> totArticoli;

    // tmrImporta, the IN-folder poll.
    std::function<bool()> importaAttivo;
    std::function<void(bool)> setImportaAttivo;

    // RipetiRicerca: reloads the article list.
    std::function<void()> ripetiRicerca;
    // The hourglass for the whole run.
    std::function<void(bool)> cursoreAttesa;
    // frmPswd with Tag "TCN": true when TecnicoAbilitato became 1.
    std::function<bool()> chiediTecnico;
    // The input box "Quanti PLU da Acquisire?": the typed text, or an empty text on Cancel.
    std::function<QString(const QString& prompt, const QString& title)> chiediTesto;
    // The timed notice (frmInfo); empty: frmInfo::mostra.
    std::function<void(const QString&)> avviso;

    // The department window: frAvviso shown or hidden, lblAvviso's caption.
    std::function<void(bool)> mostraAvviso;
    std::function<void(const QString&)> setTestoAvviso;
};

namespace Pannello {
// Calls through a member that may be empty.
void avviso(const PannelloTrasferimento& p, const QString& testo);
QString testoTab(const PannelloTrasferimento& p);
void setTestoTab(const PannelloTrasferimento& p, const QString& testo);
void mostraTab(const PannelloTrasferimento& p, bool visibile);
void setRecTot(const PannelloTrasferimento& p, const QString& testo);
void setRecAct(const PannelloTrasferimento& p, const QString& testo);
void cursoreAttesa(const PannelloTrasferimento& p, bool attesa);
} // namespace Pannello
