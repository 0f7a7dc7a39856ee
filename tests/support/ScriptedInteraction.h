#pragma once
// An Interaction for tests: every question is recorded, and answered from queues the test fills
// (a message box with no queued answer gets its default button, else its first button; an input
// box with no queued text is cancelled; a picker with no queued path is cancelled).
#include "core/Interaction.h"
#include "core/Progress.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <utility>

class ScriptedInteraction final : public Interaction
{
public:
    Button ask(const QString& text, Buttons buttons, Icon icon, Button def, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& initial) override;
    QString chooseOpenFile(const QString& title, const QString& dir, const QStringList& filters) override;
    QString chooseSaveFile(const QString& title, const QString& dir, const QStringList& filters) override;
    QString chooseFolder(const QString& title, const QString& dir) override;
    bool askTechnician() override;
    void notice(const QString& text) override;
    void showTextFile(const QString& path) override;

    QQueue<Button> answers;            // for ask()
    QQueue<std::optional<QString>> texts; // for askText()
    QQueue<QString> paths;             // for the pickers
    bool technician = true;
    int technicianAsked = 0; // askTechnician() calls

    QStringList asked;    // every text of ask(), askText() prompts and picker titles, in order
    QStringList notices;  // every notice()
    QStringList filesShown; // every showTextFile()
    QList<QStringList> filtersSeen; // the filters of each picker
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
