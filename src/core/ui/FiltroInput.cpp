#include "core/ui/FiltroInput.h"

#include "core/Wait.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
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

// The buttons as a screen reader sees them. Qt's own press of a tool button and toggle of a
// check box click at once, with no event a filter could hold: here every press and toggle asks
// first whether a click would land, and does nothing where it would not.
class PulsanteAccessibile final : public QAccessibleWidget
{
public:
    explicit PulsanteAccessibile(QAbstractButton* b) : QAccessibleWidget(b, ruolo(b)) {}

    QString text(QAccessible::Text t) const override
    {
        QString s = QAccessibleWidget::text(t);
        if (t != QAccessible::Name || !s.isEmpty())
            return s;
        s = pulsante()->text();
        if (s.isEmpty())
            if (const auto* tb = qobject_cast<const QToolButton*>(pulsante()); tb && tb->defaultAction())
                s = tb->defaultAction()->text();
        // "&Chiudi" is read "Chiudi"; "&&" is an ampersand.
        s.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        s.remove(QLatin1Char('&'));
        s.replace(QStringLiteral("\x01"), QStringLiteral("&"));
        return s;
    }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        const QAbstractButton* b = pulsante();
        st.checkable = b->isCheckable();
        st.checked = b->isChecked();
        st.pressed = b->isDown();
        if (const auto* pb = qobject_cast<const QPushButton*>(b); pb && pb->isDefault())
            st.defaultButton = true;
        return st;
    }

    QStringList actionNames() const override
    {
        if (!widget()->isEnabled())
            return {};
        QStringList nomi{pressAction()};
        if (pulsante()->isCheckable())
            nomi << toggleAction();
        return nomi + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& azione) override
    {
        if (!widget()->isEnabled() || FiltroInput::inputEscluso(widget()))
            return;
        if (azione == pressAction())
            pulsante()->animateClick();
        else if (azione == toggleAction())
            pulsante()->click();
        else
            QAccessibleWidget::doAction(azione);
    }

private:
    QAbstractButton* pulsante() const { return static_cast<QAbstractButton*>(object()); }
    static QAccessible::Role ruolo(const QAbstractButton* b)
    {
        if (qobject_cast<const QCheckBox*>(b))
            return QAccessible::CheckBox;
        if (qobject_cast<const QRadioButton*>(b))
            return QAccessible::RadioButton;
        if (const auto* tb = qobject_cast<const QToolButton*>(b); tb && tb->menu())
            return QAccessible::ButtonMenu;
        return QAccessible::Button;
    }
};

QAccessibleInterface* interfacciaPulsante(const QString&, QObject* o)
{
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return new PulsanteAccessibile(b);
    return nullptr;
}

} // namespace

FiltroInput::FiltroInput()
{
    if (auto* a = qobject_cast<QApplication*>(QCoreApplication::instance()))
        a->installEventFilter(this);
    // Once for the process: the interfaces made stay cached with their buttons.
    static const bool installata = [] {
        QAccessible::installFactory(interfacciaPulsante);
        return true;
    }();
    Q_UNUSED(installata);
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
