#include "core/ui/FormBase.h"

#include "core/Contesto.h"
#include "core/ui/Finestre.h"
#include "core/ui/Ui.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>

QHash<QString, QPointer<FormBase>>& FormBase::registry()
{
    return Contesto::finestre().registro();
}

FormBase::FormBase(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose, true);
}

// A destroyed window's entry reads null and is replaced by the next default instance; the
// destructor asks nothing of the context, which may already be gone at the program's end.
FormBase::~FormBase() = default;

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
    // Already shown modal further down the stack: a second opening shows nothing twice.
    if (m_modale) {
        raise();
        return;
    }
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
    m_modale = true;
    loop.exec();
    if (self) {
        m_modale = false;
        setWindowModality(Qt::NonModal);
    }
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
    return Contesto::finestre().principale();
}

} // namespace Forms
