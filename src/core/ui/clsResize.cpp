#include "core/ui/clsResize.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QVariant>
#include <cmath>

void clsResize::setSourceForm(QWidget* form)
{
    m_form = form;
}

void clsResize::collect(QWidget* parent, QVector<QWidget*>& out)
{
    if (parent->layout())
        return; // its layout places these children
    for (QObject* o : parent->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        if (!c || c->isWindow())
            continue;
        out << c;
        const QMetaObject* mo = c->metaObject();
        const bool container =
            mo == &QWidget::staticMetaObject || mo == &QFrame::staticMetaObject || qobject_cast<QGroupBox*>(c);
        if (container)
            collect(c, out);
    }
}

void clsResize::StoreInitialLayout()
{
    m_layout.clear();
    if (!m_form)
        return;
    m_larghezza = m_form->width();
    m_altezza = m_form->height();
    QVector<QWidget*> controls;
    collect(m_form, controls);
    m_layout.reserve(controls.size());
    for (QWidget* c : controls)
        m_layout.push_back({c, c->geometry()});
    m_pending = false;
}

void clsResize::ResizeControls()
{
    if (!m_form || m_form->isMinimized())
        return;
    if (m_pending) {
        StoreInitialLayout();
        return;
    }
    if (m_layout.isEmpty())
        return;
    // A layout recorded from an unsized window gives no ratio.
    if (m_larghezza <= 0 || m_altezza <= 0)
        return;

    const double rapportoV = double(m_form->height()) / m_altezza;
    const double rapportoH = double(m_form->width()) / m_larghezza;
    const auto scala = [](int v, double r) { return int(std::lround(v * r)); };

    m_form->setUpdatesEnabled(false);
    for (const Record& r : m_layout) {
        QWidget* c = r.control.data();
        if (!c)
            continue; // destroyed since it was recorded
        QString tag = c->property("Tag").toString().toUpper();
        if (tag.isEmpty() || !tag.startsWith(QLatin1Char('@')))
            tag = QStringLiteral("@L,T,W,H");
        // Every value from the recorded one, so repeated resizes do not build up rounding.
        QRect g = c->geometry();
        if (tag.contains(QLatin1Char('L')))
            g.moveLeft(scala(r.geometry.left(), rapportoH));
        if (tag.contains(QLatin1Char('T')))
            g.moveTop(scala(r.geometry.top(), rapportoV));
        if (tag.contains(QLatin1Char('W')))
            g.setWidth(scala(r.geometry.width(), rapportoH));
        if (tag.contains(QLatin1Char('H')))
            g.setHeight(scala(r.geometry.height(), rapportoV));
        c->setGeometry(g);
    }
    m_form->setUpdatesEnabled(true);
}

void clsResize::SizeFormToScreen(int percentuale)
{
    if (!m_form || percentuale < 0 || percentuale > 255)
        return;
    if (m_pending)
        StoreInitialLayout();
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect schermo = s->availableGeometry();
    const int altezza = int(std::floor(percentuale / 100.0 * schermo.height()));
    const int larghezza = int(std::floor(percentuale / 100.0 * schermo.width()));
    m_form->move(schermo.x() + (schermo.width() - larghezza) / 2, schermo.y() + (schermo.height() - altezza) / 2);
    m_form->resize(larghezza, altezza);
    ResizeControls();
}
