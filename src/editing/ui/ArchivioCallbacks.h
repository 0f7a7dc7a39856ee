#pragma once
// What the editing windows need of the article window that opened them. Every method is
// required: the article window implements them all.
#include <QString>
#include <memory>

class ArchivioCallbacks
{
public:
    // The whole list again, in code order or by description (after an added or saved article).
    enum class Ordine { PerCodice, PerDescrizione };

    virtual ~ArchivioCallbacks() = default;
    virtual void ricaricaTutti(Ordine ordine) = 0;
    // ckModificati = 1 after a save.
    virtual void spuntaModificati() = 0;
    // CmdCerca_Click: repeats the current search.
    virtual void ripetiRicerca() = 0;
    // Focus to txtRicBarCode when it is visible and enabled.
    virtual void focusRicBarCode() = 0;
    // Hides the article window's notice label lblTab.
    virtual void nascondiLblTab() = 0;
    // Shows `testo` in lblTab (the register line's state during a department send).
    virtual void mostraLblTab(const QString& testo) = 0;

    // Expires when the article window, and these callbacks with it, are gone: code that goes on after
    // a wait or a modal window checks it before calling back.
    std::weak_ptr<const bool> vita() const { return m_vita; }

private:
    std::shared_ptr<const bool> m_vita = std::make_shared<const bool>(true);
};
