#pragma once
// What the editing windows need from the article window, handed in by its buttons' handlers.
#include <QString>
#include <functional>

struct ArchivioCallbacks
{
    // CaricaMagazzino(sql, mark flag): refills the article list.
    std::function<void(const QString& sql, bool marca)> caricaMagazzino;
    // ckModificati = 1 after a save.
    std::function<void()> spuntaModificati;
    // CmdCerca_Click: repeats the current search.
    std::function<void()> ripetiRicerca;
    // Focus to txtRicBarCode when it is visible and enabled.
    std::function<void()> focusRicBarCode;
    // Hides the article window's notice label lblTab.
    std::function<void()> nascondiLblTab;
};
