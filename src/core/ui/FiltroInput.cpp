#include "core/ui/FiltroInput.h"

#include "core/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QWindow>
#include <optional>

namespace {

bool eInput(const QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    case QEvent::Close:
        // Only the user's close (the window manager's button); the program's own closes go on.
        return e->spontaneous();
    default:
        return false;
    }
}

// The next window up: the parent widget's window of a top-level window (owned windows, popups).
const QWidget* finestraSopra(const QWidget* finestra)
{
    const QWidget* p = finestra->parentWidget();
    return p ? p->window() : nullptr;
}

bool dentro(const QWidget* finestra, const QWidget* contenitore)
{
    for (const QWidget* f = finestra; f; f = finestraSopra(f))
        if (f == contenitore)
            return true;
    return false;
}

bool bloccataDaModale(const QWidget* finestra)
{
    const QWidget* modale = QApplication::activeModalWidget();
    if (!modale || dentro(finestra, modale))
        return false;
    if (modale->windowModality() == Qt::WindowModal)
        return dentro(modale, finestra); // only the windows it belongs to
    return true;
}

// A modal window opened during the innermost wait, or a window it owns.
bool apertaDuranteAttesa(const QWidget* finestra)
{
    QWindow* modale = QGuiApplication::modalWindow();
    if (!modale || modale == Attese::modaleAllInizio())
        return false;
    for (const QWidget* f = finestra; f; f = finestraSopra(f))
        if (f->windowHandle() == modale)
            return true;
    return false;
}

} // namespace

FiltroInput::FiltroInput()
{
    if (auto* a = qobject_cast<QApplication*>(QCoreApplication::instance()))
        a->installEventFilter(this);
}

bool FiltroInput::inputEscluso(const QWidget* w)
{
    const QWidget* finestra = w->window();
    if (bloccataDaModale(finestra))
        return true;
    if (!Attese::inCorso() || apertaDuranteAttesa(finestra))
        return false;
    return Attese::tipo() == InputUtente::Trattenuto || !Attese::vivo(w);
}

// A pressed button's timer is its animated click (animateClick, what the accessibility "press"
// queues): the click runs with its signals blocked and its checked state kept, so it does nothing
// but let the button up again.
void FiltroInput::premiSenzaEffetto(QAbstractButton* b, QEvent* e)
{
    const bool spuntabile = b->isCheckable();
    const bool spuntato = b->isChecked();
    const QSignalBlocker bloccoPulsante(b);
    std::optional<QSignalBlocker> bloccoGruppo;
    if (b->group())
        bloccoGruppo.emplace(b->group());
    if (spuntabile)
        b->setCheckable(false);
    static_cast<QObject*>(b)->event(e);
    if (spuntabile) {
        b->setCheckable(true);
        b->setChecked(spuntato);
    }
    b->setDown(false);
}

bool FiltroInput::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    const bool input = eInput(event);
    auto* pulsante = event->type() == QEvent::Timer ? qobject_cast<QAbstractButton*>(watched) : nullptr;
    if (!input && !(pulsante && pulsante->isDown()))
        return false;
    if (!inputEscluso(static_cast<QWidget*>(watched)))
        return false;
    if (pulsante) {
        premiSenzaEffetto(pulsante, event);
        return true;
    }
    event->ignore();
    return true;
}
