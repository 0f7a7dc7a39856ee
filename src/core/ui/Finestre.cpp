#include "core/ui/Finestre.h"

#include "core/ui/FiltroInput.h"
#include "core/ui/FormBase.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

Finestre::Finestre()
{
    // Under a QCoreApplication (no windows) qApp would be a wrong downcast.
    if (QCoreApplication* a = QCoreApplication::instance())
        a->installEventFilter(this);
    // What input the windows take, during waits and under modal windows, lives as long as they do.
    (new FiltroInput)->setParent(this);
}

namespace {

// Whether `w` is blocked: a modal window holds the input that is neither `w` nor one `w` was
// opened from. The window system may pass the focus through a blocked window on its way back to
// the modal one, but the user cannot have moved there.
bool bloccata(const QWidget* w)
{
    const QWidget* modale = QApplication::activeModalWidget();
    if (!modale || modale == w)
        return false;
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (p == modale)
            return false;
    return true;
}

} // namespace

void Finestre::finestraAttivata(QWidget* w)
{
    // No move of the user: neither the window before nor the one after changes.
    if (bloccata(w))
        return;
    auto* f = qobject_cast<FormBase*>(w);
    if (!f) {
        m_ultimaNostra = false;
        return;
    }
    const bool prima = !m_maiAttivate.contains(f);
    const bool daAltra = m_ultimaNostra && m_ultima != f;
    if (prima) {
        m_maiAttivate.insert(f);
        // A later window at the same address is a new window, with its own first activation.
        connect(f, &QObject::destroyed, this, [this, f] { m_maiAttivate.remove(f); });
    }
    m_ultima = f;
    m_ultimaNostra = true;
    if (prima || daAltra) {
        QPointer<FormBase> p(f);
        QTimer::singleShot(0, f, [p] {
            if (p && !p->isUnloading())
                p->activate();
        });
    }
}

void Finestre::eliminaAperte()
{
    const auto aperte = m_registro.values();
    for (const QPointer<FormBase>& p : aperte)
        delete p.data();
    m_registro.clear();
}

bool Finestre::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow())
            finestraAttivata(w);
    }
    return false;
}
