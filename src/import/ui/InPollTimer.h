#pragma once
// The article window's tmrImporta tick: one pass of the IN-folder poll, skipped (the timer keeps
// running) while other work is under way.
#include <QString>

class QTimer;
class QWidget;
class PollCartellaIN;

namespace InPollTimer {

// What the window that carries the poll does for it.
class Finestra
{
public:
    virtual ~Finestra() = default;
    // After a pass that applied a variation file (what closing the import window did).
    virtual void ricaricaLista() = 0;
    // A file the poll could not apply, told on the window's status line.
    virtual void avvisa(const QString& testo) = 0;
};

// True while the poll must wait: a modal window other than `finestra` is open (the import
// window, the article editor, a message box), an import, a register transfer or any
// transaction is running.
bool occupato(const QWidget* finestra);

// One tick of tmrImporta: off, hourglass, one pass, pointer back, on again.
void eseguiPassaggio(QWidget* finestra, QTimer* timer, PollCartellaIN& poll, Finestra& host);

} // namespace InPollTimer
