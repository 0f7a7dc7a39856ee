#include "core/ui/WidgetInteraction.h"

#include "core/ui/FileDialog.h"
#include "core/ui/TextViewer.h"
#include "core/ui/Ui.h"
#include "core/ui/frmInfo.h"
#include "core/ui/frmPswd.h"

#include "core/Paths.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon toIcon(Interaction::Icon i)
{
    switch (i) {
    case Interaction::Icon::Information:
        return QMessageBox::Information;
    case Interaction::Icon::Warning:
        return QMessageBox::Warning;
    case Interaction::Icon::Critical:
        return QMessageBox::Critical;
    case Interaction::Icon::Question:
        return QMessageBox::Question;
    case Interaction::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
QWidget* parentWindow()
{
    return QApplication::activeWindow();
}
} // namespace

Interaction::Button WidgetInteraction::ask(const QString& text, Buttons buttons, Icon icon, Button def,
                                           const QString& title)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox mb(toIcon(icon), title.isEmpty() ? app().titoloProgramma : title, t,
                   QMessageBox::StandardButtons(int(buttons)), parentWindow());
    if (def != NoButton)
        mb.setDefaultButton(QMessageBox::StandardButton(def));
    return Button(mb.exec());
}

std::optional<QString> WidgetInteraction::askText(const QString& prompt, const QString& title, const QString& initial)
{
    bool ok = false;
    const QString t = QInputDialog::getText(parentWindow(), title.isEmpty() ? app().titoloProgramma : title, prompt,
                                            QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return t;
}

QString WidgetInteraction::partenza(const QString& dir) const
{
    if (!dir.isEmpty())
        return dir;
    if (!m_ultima.isEmpty() && QFileInfo(m_ultima).isDir())
        return m_ultima;
    return Paths::programFolder();
}

void WidgetInteraction::ricorda(const QString& scelta, bool cartella)
{
    if (!scelta.isEmpty())
        m_ultima = cartella ? scelta : QFileInfo(scelta).absolutePath();
}

QString WidgetInteraction::chooseOpenFile(const QString& title, const QString& dir, const QStringList& filters)
{
    const QString f = FileDialog::apri(parentWindow(), title, partenza(dir), filters.join(QStringLiteral(";;")));
    ricorda(f, false);
    return f;
}

QString WidgetInteraction::chooseSaveFile(const QString& title, const QString& dir, const QStringList& filters)
{
    const QString f = FileDialog::salva(parentWindow(), title, partenza(dir), filters.join(QStringLiteral(";;")));
    ricorda(f, false);
    return f;
}

QString WidgetInteraction::chooseFolder(const QString& title, const QString& dir)
{
    const QString d = FileDialog::cartella(parentWindow(), title, partenza(dir));
    ricorda(d, true);
    return d;
}

std::optional<QColor> WidgetInteraction::chooseColor(const QColor& initial)
{
    const QColor c = QColorDialog::getColor(initial, parentWindow());
    return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

bool WidgetInteraction::askTechnician()
{
    return frmPswd::chiediTecnico();
}

void WidgetInteraction::notice(const QString& text)
{
    frmInfo::mostra(text);
}

void WidgetInteraction::noticeWithoutWaiting(const QString& text)
{
    frmInfo::mostra(text, false);
}

void WidgetInteraction::showTextFile(const QString& path)
{
    TextViewer::mostra(path);
}
