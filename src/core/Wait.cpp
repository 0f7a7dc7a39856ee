#include "core/Wait.h"

#include "core/AppState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <memory>

namespace {

// Runs events until `done` holds or `ms` pass. With a dispatcher the thread sleeps in it until
// the next event (a datagram, serial data, a timer, the deadline); user input, when excluded,
// stays queued, so those waits tick every millisecond instead of spinning on it.
bool attendi(const std::function<bool()>& done, int ms, QEventLoop::ProcessEventsFlags flags)
{
    QElapsedTimer t;
    t.start();
    const bool dispatcher = QCoreApplication::instance() && QThread::currentThread()->eventDispatcher();
    const bool senzaInput = flags.testFlag(QEventLoop::ExcludeUserInputEvents);
    std::unique_ptr<QTimer> scadenza;
    if (dispatcher && !senzaInput) {
        scadenza = std::make_unique<QTimer>();
        scadenza->setSingleShot(true);
        scadenza->setTimerType(Qt::PreciseTimer);
    }
    for (;;) {
        if (done && done())
            return true;
        const qint64 resto = ms - t.elapsed();
        if (resto <= 0)
            return false;
        if (scadenza) {
            scadenza->start(int(resto));
            QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
        } else {
            if (dispatcher)
                QCoreApplication::processEvents(flags, 5);
            QThread::msleep(1);
        }
    }
}

QEventLoop::ProcessEventsFlags flagsPer(InputUtente input)
{
    return input == InputUtente::Ammesso ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
}

} // namespace

void Attesa(double ms)
{
    attendi({}, app().wait.ms(ms), QEventLoop::AllEvents);
}

void AttesaSenzaInput(double ms)
{
    attendi({}, app().wait.ms(ms), QEventLoop::ExcludeUserInputEvents);
}

bool AttendiFinche(const std::function<bool()>& done, double ms, InputUtente input)
{
    return attendi(done, app().wait.ms(ms), flagsPer(input));
}

bool AttendiFincheEntro(const std::function<bool()>& done, int ms, InputUtente input)
{
    return attendi(done, ms, flagsPer(input));
}

void LasciaScorrereEventi(InputUtente input)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(flagsPer(input));
}
