#pragma once
// The program's Interaction: message boxes, the input box, file and folder pickers, the
// technician's password window and the timed notice, all over the program's own helpers.
#include "core/Interaction.h"

class WidgetInteraction final : public Interaction
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

private:
    // Where a picker opens: `dir` when given, else the folder of the last choice, else the
    // program folder (never the process's working folder).
    QString partenza(const QString& dir) const;
    void ricorda(const QString& scelta, bool cartella);
    QString m_ultima;
};
