#pragma once
// The questions and notices that logic needs of the user: confirmations, messages, a typed text,
// a file or folder, the technician's password. The program implements this once over its message
// boxes and dialogs; tests script the answers. Logic never opens a window itself.
#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class Interaction
{
public:
    // The buttons of a message box, with the same values as the window system's standard buttons,
    // so the widget side converts them without a table.
    enum Button : unsigned {
        NoButton = 0x0,
        Ok = 0x400,
        Yes = 0x4000,
        No = 0x10000,
        Abort = 0x40000,
        Retry = 0x80000,
        Ignore = 0x100000,
        Cancel = 0x400000,
    };
    using Buttons = unsigned;
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Interaction() = default;

    // A message box titled with the program title (or `title`), CR LF in the text as a line break,
    // over the active window; returns the button pressed.
    virtual Button ask(const QString& text, Buttons buttons, Icon icon = Icon::None, Button def = NoButton,
                       const QString& title = {}) = 0;
    // The input box: the typed text, or nullopt on Cancel.
    virtual std::optional<QString> askText(const QString& prompt, const QString& title,
                                           const QString& initial = {}) = 0;
    // File and folder pickers: the chosen path, or empty when the user cancelled.
    // `filters` as "Descrizione (*.ext)" entries.
    virtual QString chooseOpenFile(const QString& title, const QString& dir, const QStringList& filters) = 0;
    virtual QString chooseSaveFile(const QString& title, const QString& dir, const QStringList& filters) = 0;
    virtual QString chooseFolder(const QString& title, const QString& dir) = 0;
    // The colour picker: the chosen colour, or nullopt when the user cancelled.
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    // The password window with Tag "TCN": true when the technician was recognised.
    virtual bool askTechnician() = 0;
    // The short notice that closes by itself (frmInfo); returns once it has closed.
    virtual void notice(const QString& text) = 0;
    // The same notice, returning at once while it stays up.
    virtual void noticeWithoutWaiting(const QString& text) = 0;
    // Shows a Windows-1252 text file read-only and waits until the user closes it.
    virtual void showTextFile(const QString& path) = 0;

    // Shorthands over ask().
    void message(const QString& text) { ask(text, Ok); }
    void info(const QString& text) { ask(text, Ok, Icon::Information); }
    void warn(const QString& text) { ask(text, Ok, Icon::Warning); }
    void error(const QString& text) { ask(text, Ok, Icon::Critical); }
    bool yesNo(const QString& text, Icon icon = Icon::Question) { return ask(text, Yes | No, icon) == Yes; }
};
