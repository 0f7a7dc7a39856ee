#include "core/Wait.h"

#include "core/AppState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <memory>
#include <vector>

namespace {

struct Trattenuta
{
    InputUtente tipo;
    QPointer<QWindow> modale;
};

// The waits running now, innermost last, and the live controls of the operations running now.
// Only the window thread waits, so plain statics suffice.
std::vector<Trattenuta>& trattenute()
{
    static std::vector<Trattenuta> t;
    return t;
}

QList<QPointer<QObject>>& vivi()
{
    static QList<QPointer<QObject>> v;
    return v;
}

class InAttesa
{
public:
    explicit InAttesa(InputUtente tipo)
    {
        QWindow* modale =
            qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::modalWindow() : nullptr;
        trattenute().push_back({tipo, modale});
    }
    ~InAttesa() { trattenute().pop_back(); }
    InAttesa(const InAttesa&) = delete;
    InAttesa& operator=(const InAttesa&) = delete;
};

QEventLoop::ProcessEventsFlags flagsPer(InputUtente input)
{
    // Window-system input for live controls has to be taken out of the queue to reach them; the
    // filter drops the rest.
    return input == InputUtente::SoloControlliVivi ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
}

// Runs events until `done` holds or `ms` pass. With a dispatcher the thread sleeps in it until
// the next event (a datagram, serial data, a timer, the deadline); user input, when held back,
// stays queued, so those waits tick every millisecond instead of spinning on it.
bool attendi(const std::function<bool()>& done, int ms, InputUtente input)
{
    QElapsedTimer t;
    t.start();
    const InAttesa attesa(input);
    const QEventLoop::ProcessEventsFlags flags = flagsPer(input);
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

} // namespace

void Attesa(double ms, InputUtente input)
{
    attendi({}, app().wait.ms(ms), input);
}

void AttesaSenzaInput(double ms)
{
    attendi({}, app().wait.ms(ms), InputUtente::Trattenuto);
}

bool AttendiFinche(const std::function<bool()>& done, double ms, InputUtente input)
{
    return attendi(done, app().wait.ms(ms), input);
}

bool AttendiFincheEntro(const std::function<bool()>& done, int ms, InputUtente input)
{
    return attendi(done, ms, input);
}

void LasciaScorrereEventi(InputUtente input)
{
    if (!QCoreApplication::instance())
        return;
    const InAttesa attesa(input);
    QCoreApplication::processEvents(flagsPer(input));
}

ControlliVivi::ControlliVivi(std::initializer_list<QObject*> controlli)
{
    for (QObject* c : controlli) {
        m_controlli << c;
        vivi() << c;
    }
}

ControlliVivi::~ControlliVivi()
{
    for (const QPointer<QObject>& c : m_controlli) {
        const qsizetype i = vivi().indexOf(c);
        if (i >= 0)
            vivi().removeAt(i);
    }
    vivi().removeAll(QPointer<QObject>());
}

namespace Attese {

bool inCorso()
{
    return !trattenute().empty();
}

InputUtente tipo()
{
    return trattenute().empty() ? InputUtente::SoloControlliVivi : trattenute().back().tipo;
}

QWindow* modaleAllInizio()
{
    return trattenute().empty() ? nullptr : trattenute().back().modale.data();
}

bool vivo(const QObject* o)
{
    for (; o; o = o->parent())
        for (const QPointer<QObject>& v : vivi())
            if (v.data() == o)
                return true;
    return false;
}

} // namespace Attese
