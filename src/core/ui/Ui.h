#pragma once
// Small window helpers shared by every window: message boxes titled with the program's title,
// VB colours and twips, control naming for tests and screen readers, button pictures.
#include "core/AppState.h"
#include "core/ErrorLog.h"

#include <QColor>
#include <QMessageBox>
#include <QString>

class QWidget;
class ProgressSink;

namespace Msg {
// The windows' shorthand for a message box: asks the program's interaction
// (Contesto::interazione()), which titles it with the program title (or `title`) and turns CR LF
// in the text into a line break.
QMessageBox::StandardButton box(const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                QMessageBox::Icon icon = QMessageBox::NoIcon,
                                QMessageBox::StandardButton def = QMessageBox::NoButton, const QString& title = {});
inline void info(const QString& text)
{
    box(text, QMessageBox::Ok, QMessageBox::Information);
}
inline void warn(const QString& text)
{
    box(text, QMessageBox::Ok, QMessageBox::Warning);
}
inline bool yesNo(const QString& text, QMessageBox::Icon icon = QMessageBox::Question)
{
    return box(text, QMessageBox::Yes | QMessageBox::No, icon) == QMessageBox::Yes;
}
} // namespace Msg

QColor colorFromVb(VbColor c);
VbColor vbFromColor(const QColor& c);
int twips(int tw); // twips to pixels at the screen's logical dpi

// objectName and accessible description = `name`; accessible name = `label` when given.
template <class W> W* named(W* w, const QString& name, const QString& label = {})
{
    w->setObjectName(name);
    w->setAccessibleDescription(name);
    if (!label.isEmpty())
        w->setAccessibleName(label);
    return w;
}

void setBackground(QWidget* w, VbColor c);
// The hourglass over the whole program (true), or back to the previous cursor (false).
void cursoreAttesa(bool attesa);

// Puts a top-level window in the middle of its screen (there may be no window manager to do it).
void centraSuSchermo(QWidget* w);

// Gives each button whose whole caption is a known keyword its picture.
void AssegnaImmaginiPulsanti(QWidget* form);
QString chiavePulsante(const QString& caption); // the picture key of a caption, or empty
