#pragma once
// The Interaction of every test (TestEnv installs a fresh one): nothing is shown, every question
// is recorded and answered from queues the test fills.
// - Message boxes, whether logic asks them here or a window through its Msg shorthand, are recorded
//   in `shown` and answered by `answerWith` when set, else from `answers`; with none left, a box
//   gets its first button of Ok, Yes, No, Cancel, Abort, Retry, Ignore (not its default button: a
//   test queues every other answer it relies on).
// - Timed notices are recorded in `notices` and, with the boxes, in `shown`.
// - The input box takes `texts`, the pickers `paths` and `colours`; with none left, they are cancelled.
#include "core/Interaction.h"
#include "core/Progress.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>
#include <utility>

class ScriptedInteraction final : public Interaction
{
public:
    Button ask(const QString& text, Buttons buttons, Icon icon, Button def, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& initial) override;
    QString chooseOpenFile(const QString& title, const QString& dir, const QStringList& filters) override;
    QString chooseSaveFile(const QString& title, const QString& dir, const QStringList& filters) override;
    QString chooseFolder(const QString& title, const QString& dir) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool askTechnician() override;
    void notice(const QString& text) override;
    void noticeWithoutWaiting(const QString& text) override;
    void showTextFile(const QString& path) override;

    // Forgets every queued answer and recorded question: a fresh start within one test.
    ScriptedInteraction& reset() { return *this = ScriptedInteraction(); }

    QQueue<Button> answers; // message boxes
    // When set, every message box is answered by this instead (with its text as shown).
    std::function<Button(const QString& text, Buttons buttons)> answerWith;
    QQueue<std::optional<QString>> texts; // the input box; none left: Cancel
    QQueue<QString> paths;                // the pickers; none left: Cancel
    QQueue<QColor> colours;               // the colour picker; none left: Cancel
    bool technician = true;               // the technician's password answer
    // When set, the technician's password is asked by this instead (the real password window).
    std::function<bool()> technicianWindow;

    int technicianAsked = 0;        // technician questions asked
    QStringList asked;              // message-box texts, input-box prompts and picker titles, in order
    QStringList prompts;            // input-box prompts and picker titles only, in order
    QStringList pickerDirs;         // the folder each picker started in
    QList<QStringList> filtersSeen; // the filters of each file picker
    QList<QColor> initialColours;   // the colour each colour picker started with
    QStringList notices;            // timed notices
    QStringList shown;              // message-box texts (CR LF as a line break) and timed notices, in order
    QStringList filesShown;         // text files shown

private:
    QString picker(const QString& title, const QString& dir);
};

// A ProgressSink that remembers what it was told.
class RecordingProgress final : public ProgressSink
{
public:
    void setRange(int minimum, int maximum) override { range = {minimum, maximum}; }
    void setValue(int v) override { values << v; }
    void setStatus(const QString& t) override { statuses << t; }
    std::pair<int, int> range{0, 0};
    QList<int> values;
    QStringList statuses;
};
