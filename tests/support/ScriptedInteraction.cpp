#include "support/ScriptedInteraction.h"

Interaction::Button ScriptedInteraction::ask(const QString& text, Buttons buttons, Icon, Button, const QString&)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown << t;
    asked << t;
    if (answerWith)
        return answerWith(t, buttons);
    if (!answers.isEmpty())
        return answers.dequeue();
    for (Button b : {Ok, Yes, No, Cancel, Abort, Retry, Ignore})
        if (buttons & b)
            return b;
    return Ok;
}

std::optional<QString> ScriptedInteraction::askText(const QString& prompt, const QString&, const QString&)
{
    asked << prompt;
    prompts << prompt;
    return texts.isEmpty() ? std::nullopt : texts.dequeue();
}

QString ScriptedInteraction::picker(const QString& title, const QString& dir)
{
    asked << title;
    prompts << title;
    pickerDirs << dir;
    return paths.isEmpty() ? QString() : paths.dequeue();
}

QString ScriptedInteraction::chooseOpenFile(const QString& title, const QString& dir, const QStringList& filters)
{
    filtersSeen << filters;
    return picker(title, dir);
}

QString ScriptedInteraction::chooseSaveFile(const QString& title, const QString& dir, const QStringList& filters)
{
    filtersSeen << filters;
    return picker(title, dir);
}

QString ScriptedInteraction::chooseFolder(const QString& title, const QString& dir)
{
    return picker(title, dir);
}

std::optional<QColor> ScriptedInteraction::chooseColor(const QColor& initial)
{
    initialColours << initial;
    if (colours.isEmpty())
        return std::nullopt;
    return colours.dequeue();
}

bool ScriptedInteraction::askTechnician()
{
    ++technicianAsked;
    return technicianWindow ? technicianWindow() : technician;
}

void ScriptedInteraction::notice(const QString& text)
{
    notices << text;
    shown << text;
}

void ScriptedInteraction::noticeWithoutWaiting(const QString& text)
{
    notice(text);
}

void ScriptedInteraction::showTextFile(const QString& path)
{
    filesShown << path;
}
