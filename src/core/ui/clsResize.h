#pragma once
// Keeps the design-time layout of one window and rescales its controls in proportion when the
// window's inner size changes, so the same window fills screens of different sizes.
//
// Only for windows that place their controls by hand (the on-screen keyboard does): a widget
// managed by a layout is moved by its layout, so the children of a widget that has a layout are
// left alone. Containers (plain widgets, frames, group boxes) are walked into; other controls are
// moved as a whole, never their inner parts.
//
// A control's dynamic property "Tag" may hold "@" followed by the letters L, T, W, H: only those
// of left, top, width and height are rescaled. An empty Tag, or one not starting with "@", means
// all four.
#include <QPointer>
#include <QRect>
#include <QVector>
#include <QWidget>

class clsResize
{
public:
    clsResize() = default;

    QWidget* SourceForm() const { return m_form.data(); }
    // Stores the window; records nothing (the first ResizeControls does).
    void setSourceForm(QWidget* form);

    // Records the layout again from the current geometry.
    void ReInitialise() { StoreInitialLayout(); }
    // Sizes the window to `percentuale` per cent of the primary screen, centres it, rescales.
    // Values outside 0..255 are refused.
    void SizeFormToScreen(int percentuale);
    // Rescales the controls to the window's current inner size; the first call only records.
    void ResizeControls();

    // For tests and callers that want to know the state.
    QSize recordedSize() const { return {m_larghezza, m_altezza}; }
    int recordCount() const { return int(m_layout.size()); }

private:
    struct Record
    {
        QPointer<QWidget> control;
        QRect geometry;
    };
    void StoreInitialLayout();
    static void collect(QWidget* parent, QVector<QWidget*>& out);

    QPointer<QWidget> m_form;
    int m_larghezza = 0;
    int m_altezza = 0;
    QVector<Record> m_layout;
    bool m_pending = true;
};
