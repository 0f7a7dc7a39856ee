#include "support/ScriptedInteraction.h"

#include "core/ui/Ui.h"

Interaction::Button ScriptedInteraction::ask(const QString& text, Buttons buttons, Icon icon, Button def,
                                             const QString& title)
{
    static const QMessageBox::Icon icone[] = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning,
                                              QMessageBox::Critical, QMessageBox::Question};
    return Button(Msg::box(text, QMessageBox::StandardButtons(int(buttons)), icone[int(icon)],
                           QMessageBox::StandardButton(def), title));
}

Interaction::Button ScriptedInteraction::reply(const QString& text, Buttons buttons)
{
    asked << text;
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
}

void ScriptedInteraction::showTextFile(const QString& path)
{
    filesShown << path;
}
