#include "core/ui/FormBase.h"

#include "core/ui/Ui.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QSet>
#include <QTimer>

namespace {
QPointer<QWidget> g_main;
QSet<const void*> g_everActivated;
} // namespace

QHash<QString, QPointer<FormBase>>& FormBase::registry()
{
    static QHash<QString, QPointer<FormBase>> r;
    return r;
}

FormBase::FormBase(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose, true);
    ActivationTracker::instance(); // installs the tracker on first window
}

FormBase::~FormBase()
{
    forget();
    g_everActivated.remove(this);
}

void FormBase::forget()
{
    if (!m_registryKey.isEmpty()) {
        auto& r = registry();
        auto it = r.find(m_registryKey);
        if (it != r.end() && (it->isNull() || it->data() == this))
            r.erase(it);
    }
}

void FormBase::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    formLoad();
}

// A window that placed itself nowhere opens in the middle of the screen, also where no window
// manager places it.
void FormBase::placeFirstShow()
{
    if (isVisible() || testAttribute(Qt::WA_Moved) || isMaximized() || isFullScreen())
        return;
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    centraSuSchermo(this);
}

void FormBase::showModal()
{
    QPointer<FormBase> self(this);
    setWindowModality(Qt::ApplicationModal);
    placeFirstShow();
    show();
    raise();
    activateWindow();
    if (!self || !isVisible())
        return;
    QEventLoop loop;
    connect(this, &FormBase::hiddenOrClosed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    if (self)
        setWindowModality(Qt::NonModal);
}

void FormBase::showModeless()
{
    placeFirstShow();
    show();
    raise();
    activateWindow();
}

bool FormBase::unload()
{
    QPointer<FormBase> self(this);
    if (!isVisible()) {
        // A hidden window gets no close event: run the unload steps ourselves.
        QCloseEvent ev;
        closeEvent(&ev);
        if (!ev.isAccepted())
            return false;
        if (self && testAttribute(Qt::WA_DeleteOnClose))
            deleteLater();
        return true;
    }
    return close();
}

void FormBase::activate()
{
    formActivate();
}

void FormBase::closeEvent(QCloseEvent* e)
{
    if (m_unloading) {
        e->accept();
        return;
    }
    if (!formQueryUnload()) {
        e->ignore();
        return;
    }
    // The query may have closed us already (the exit question closes every window).
    if (m_unloading) {
        e->accept();
        return;
    }
    m_unloading = true;
    formUnload();
    forget();
    e->accept();
    Q_EMIT unloaded();
    Q_EMIT hiddenOrClosed();
}

void FormBase::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    if (!e->spontaneous())
        Q_EMIT hiddenOrClosed();
}

namespace Forms {

QWidget* parentForNew()
{
    return g_main.data();
}
void setMainWindow(QWidget* w)
{
    g_main = w;
}

} // namespace Forms

ActivationTracker& ActivationTracker::instance()
{
    static ActivationTracker* t = new ActivationTracker();
    return *t;
}

ActivationTracker::ActivationTracker()
{
    if (qApp)
        qApp->installEventFilter(this);
}

void ActivationTracker::reset()
{
    m_lastForm = nullptr;
    m_lastFormId = nullptr;
    m_lastWasForm = false;
    g_everActivated.clear();
}

void ActivationTracker::windowActivated(QWidget* w)
{
    auto* f = qobject_cast<FormBase*>(w);
    if (!f) {
        m_lastWasForm = false;
        return;
    }
    const bool first = !g_everActivated.contains(f);
    const bool fromOtherForm = m_lastWasForm && m_lastFormId != f;
    g_everActivated.insert(f);
    m_lastForm = f;
    m_lastFormId = f;
    m_lastWasForm = true;
    if (first || fromOtherForm) {
        QPointer<FormBase> p(f);
        QTimer::singleShot(0, f, [p] {
            if (p && !p->isUnloading())
                p->activate();
        });
    }
}

bool ActivationTracker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow())
            windowActivated(w);
    }
    return false;
}
