#pragma once
// The article window's tmrImporta tick: one pass of the IN-folder poll, skipped (the timer keeps
// running) while other work is under way.
#include <functional>

class QTimer;
class QWidget;
class PollCartellaIN;

namespace InPollTimer {

// True while the poll must wait: a modal window other than `finestra` is open (the import
// window, the article editor, a message box), an import, a register transfer or any
// transaction is running.
bool occupato(const QWidget* finestra);

// tmrImporta_Timer: off, hourglass, one pass, pointer back, on again. `ricaricaLista` runs
// after a pass that applied a variation file (what closing the import window did).
void tmrImporta_Timer(QWidget* finestra, QTimer* timer, PollCartellaIN& poll,
                      const std::function<void()>& ricaricaLista);

} // namespace InPollTimer
