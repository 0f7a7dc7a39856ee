#include "support/ScriptedInteraction.h"

Interaction::Button ScriptedInteraction::ask(const QString& text, Buttons buttons, Icon, Button def, const QString&)
{
    asked << text;
    if (!answers.isEmpty())
        return answers.dequeue();
    if (def != NoButton)
        return def;
    for (unsigned b = 1; b != 0; b <<= 1)
        if (buttons & b)
            return Button(b);
    return Ok;
}

std::optional<QString> ScriptedInteraction::askText(const QString& prompt, const QString&, const QString&)
{
    asked << prompt;
    return texts.isEmpty() ? std::nullopt : texts.dequeue();
}

QString ScriptedInteraction::chooseOpenFile(const QString& title, const QString&, const QStringList& filters)
{
    asked << title;
    filtersSeen << filters;
    return paths.isEmpty() ? QString() : paths.dequeue();
}

QString ScriptedInteraction::chooseSaveFile(const QString& title, const QString&, const QStringList& filters)
{
    asked << title;
    filtersSeen << filters;
    return paths.isEmpty() ? QString() : paths.dequeue();
}

QString ScriptedInteraction::chooseFolder(const QString& title, const QString&)
{
    asked << title;
    return paths.isEmpty() ? QString() : paths.dequeue();
}

bool ScriptedInteraction::askTechnician()
{
    ++technicianAsked;
    return technician;
}

void ScriptedInteraction::notice(const QString& text) { notices << text; }

void ScriptedInteraction::showTextFile(const QString& path) { filesShown << path; }
