#include "core/ui/TextViewer.h"

#include "core/TextFile.h"
#include "core/ui/Ui.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace TextViewer {

bool mostra(const QString& path, QWidget* parent)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString text = TextFile::decode(f.readAll());
    QDialog dlg(parent);
    dlg.setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - ") + app().titoloProgramma);
    auto* lay = new QVBoxLayout(&dlg);
    auto* edit = named(new QPlainTextEdit(&dlg), QStringLiteral("txtFile"));
    edit->setReadOnly(true);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit->setPlainText(text);
    lay->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    lay->addWidget(buttons);
    dlg.resize(760, 520);
    dlg.exec();
    return true;
}

} // namespace TextViewer
