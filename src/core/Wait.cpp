#include "core/Wait.h"

#include "core/AppState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

namespace {

void waitFor(int ms, QEventLoop::ProcessEventsFlags flags)
{
    QElapsedTimer t;
    t.start();
    do {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(flags, 5);
        if (t.elapsed() < ms)
            QThread::msleep(1);
    } while (t.elapsed() < ms);
}

} // namespace

void Attesa(double ms) { waitFor(app().wait.ms(ms), QEventLoop::AllEvents); }

void AttesaSenzaInput(double ms) { waitFor(app().wait.ms(ms), QEventLoop::ExcludeUserInputEvents); }

bool AttendiFinche(const std::function<bool()>& done, int ms, int sleepMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= ms)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (sleepMs > 0)
            QThread::msleep(sleepMs);
    }
    return true;
}
