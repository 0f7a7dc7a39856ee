#pragma once
// What user input the program's windows take, in one place, for the whole application:
// - a window blocked by a modal window takes none: also not a press through the accessibility
//   interface (a screen reader's "press" queues an animated click that would run later, under the
//   modal window; a tool button's press and a check box's toggle click at once), nor a posted
//   click or key. The buttons' accessible actions check these rules before they click;
// - while a wait runs, input goes only where the wait lets it (core/Wait.h): a press, click, key,
//   shortcut or close request for any other control is dropped.
// Finestre installs it with the program's windows.
#include <QObject>

class QAbstractButton;
class QWidget;

class FiltroInput final : public QObject
{
    Q_OBJECT
public:
    FiltroInput();

    // Whether user input for `w` is dropped now, by the rules above.
    static bool inputEscluso(const QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void premiSenzaEffetto(QAbstractButton* b, QEvent* e);
};
