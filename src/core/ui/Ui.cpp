#include "core/ui/Ui.h"

#include "core/Contesto.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace Msg {

QMessageBox::StandardButton box(const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                QMessageBox::StandardButton def, const QString& title)
{
    // The buttons share their values with the window system's; the icons their order.
    static const Interaction::Icon icone[] = {Interaction::Icon::None, Interaction::Icon::Information,
                                              Interaction::Icon::Warning, Interaction::Icon::Critical,
                                              Interaction::Icon::Question};
    const auto i =
        icon >= QMessageBox::NoIcon && icon <= QMessageBox::Question ? icone[int(icon)] : Interaction::Icon::None;
    return QMessageBox::StandardButton(
        Contesto::interazione().ask(text, Interaction::Buttons(buttons.toInt()), i, Interaction::Button(def), title));
}

} // namespace Msg

QColor colorFromVb(VbColor c)
{
    const quint32 v = quint32(c & 0xFFFFFFFF);
    if (v & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (v & 0xFF) {
        case 5:
            return pal.color(QPalette::Base);
        case 8:
            return pal.color(QPalette::Text);
        case 15:
        default:
            return pal.color(QPalette::Button);
        }
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

VbColor vbFromColor(const QColor& c)
{
    return VbColor(c.red() | (c.green() << 8) | (c.blue() << 16));
}

int twips(int tw)
{
    const QScreen* s = QApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return int(tw * dpi / 1440.0);
}

void setBackground(QWidget* w, VbColor c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colorFromVb(c));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void centraSuSchermo(QWidget* w)
{
    if (!w)
        return;
    const QScreen* s = w->screen() ? w->screen() : QApplication::primaryScreen();
    if (!s)
        return;
    QRect r = w->frameGeometry();
    r.moveCenter(s->availableGeometry().center());
    w->move(r.topLeft());
}

QString chiavePulsante(const QString& caption)
{
    static const QHash<QString, QString> keys = {
        {QStringLiteral("apri"), QStringLiteral("open")},      {QStringLiteral("nuovo"), QStringLiteral("new")},
        {QStringLiteral("crea"), QStringLiteral("new")},       {QStringLiteral("modifica"), QStringLiteral("edit")},
        {QStringLiteral("annulla"), QStringLiteral("cancel")}, {QStringLiteral("ok"), QStringLiteral("ok")},
        {QStringLiteral("conferma"), QStringLiteral("ok")},    {QStringLiteral("registra"), QStringLiteral("save")},
        {QStringLiteral("aggiorna"), QStringLiteral("save")},  {QStringLiteral("elimina"), QStringLiteral("delete")},
        {QStringLiteral("stampa"), QStringLiteral("print")},   {QStringLiteral("anteprima"), QStringLiteral("preview")},
        {QStringLiteral("chiudi"), QStringLiteral("exit")},    {QStringLiteral("esci"), QStringLiteral("exit")},
        {QStringLiteral("cerca"), QStringLiteral("search")},   {QStringLiteral("trova"), QStringLiteral("search")},
    };
    QString c = caption;
    c.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    return keys.value(c.toLower());
}

static QIcon iconFor(const QString& key)
{
    QStyle* st = QApplication::style();
    static const QHash<QString, QPair<QString, QStyle::StandardPixmap>> icons = {
        {QStringLiteral("open"), {QStringLiteral("document-open"), QStyle::SP_DialogOpenButton}},
        {QStringLiteral("new"), {QStringLiteral("document-new"), QStyle::SP_FileIcon}},
        {QStringLiteral("edit"), {QStringLiteral("document-edit"), QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("cancel"), {QStringLiteral("dialog-cancel"), QStyle::SP_DialogCancelButton}},
        {QStringLiteral("ok"), {QStringLiteral("dialog-ok"), QStyle::SP_DialogOkButton}},
        {QStringLiteral("save"), {QStringLiteral("document-save"), QStyle::SP_DialogSaveButton}},
        {QStringLiteral("delete"), {QStringLiteral("edit-delete"), QStyle::SP_TrashIcon}},
        {QStringLiteral("print"), {QStringLiteral("document-print"), QStyle::SP_FileDialogListView}},
        {QStringLiteral("preview"), {QStringLiteral("document-print-preview"), QStyle::SP_FileDialogContentsView}},
        {QStringLiteral("exit"), {QStringLiteral("application-exit"), QStyle::SP_DialogCloseButton}},
        {QStringLiteral("search"), {QStringLiteral("edit-find"), QStyle::SP_FileDialogContentsView}},
    };
    const auto it = icons.constFind(key);
    if (it == icons.constEnd())
        return {};
    return QIcon::fromTheme(it->first, st->standardIcon(it->second));
}

void AssegnaImmaginiPulsanti(QWidget* form)
{
    if (!form)
        return;
    for (QPushButton* b : form->findChildren<QPushButton*>()) {
        const QString key = chiavePulsante(b->text());
        if (key.isEmpty())
            continue;
        b->setIcon(iconFor(key));
        b->setProperty("chiaveImmagine", key);
        b->setMinimumWidth(qMax(b->minimumWidth(), twips(1350)));
    }
}

void cursoreAttesa(bool attesa)
{
    if (attesa)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
