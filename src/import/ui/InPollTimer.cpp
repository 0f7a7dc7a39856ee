#include "import/ui/InPollTimer.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/Progress.h"
#include "import/Cedi.h"
#include "import/InPoll.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace InPollTimer {

bool occupato(const QWidget* finestra)
{
    const QWidget* modale = QApplication::activeModalWidget();
    if (modale && modale != finestra)
        return true;
    return Cedi::importazioneInCorso() || app().invioInCorso || app().ricezioneInCorso || Db::transactionDepth() > 0;
}

void eseguiPassaggio(QWidget* finestra, QTimer* timer, PollCartellaIN& poll, Finestra& host)
{
    if (occupato(finestra))
        return;
    QPointer<QTimer> t(timer);
    t->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    NoProgress nessuno; // the import window is not shown in this path
    const PollCartellaIN::Risultato r = poll.ImportaDaCartellaIN(nessuno);
    QApplication::restoreOverrideCursor();
    if (!t)
        return; // the window went away meanwhile
    if (!r.avvisi.isEmpty())
        host.avvisa(r.avvisi.join(QLatin1Char('\n')));
    if (r.variazioni)
        host.ricaricaLista();
    t->start();
}

} // namespace InPollTimer
