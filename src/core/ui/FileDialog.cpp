#include "core/ui/FileDialog.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QTreeView>

namespace {
enum Colonna { Nome = 0, Dimensione = 1, Tipo = 2, DataModifica = 3 };

const QLocale& italiano()
{
    static const QLocale l(QLocale::Italian, QLocale::Italy);
    return l;
}
} // namespace

QVariant ColonneItaliane::data(const QModelIndex& index, int role) const
{
    const auto* fs = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !fs || !index.isValid())
        return QIdentityProxyModel::data(index, role);
    const QModelIndex origine = mapToSource(index);
    switch (index.column()) {
    case Dimensione: {
        const QFileInfo fi = fs->fileInfo(origine);
        if (!fi.isFile())
            return QString();
        return italiano().formattedDataSize(fi.size(), 1, QLocale::DataSizeTraditionalFormat);
    }
    case Tipo: {
        const QFileInfo fi = fs->fileInfo(origine);
        if (fi.isDir())
            return QStringLiteral("Cartella");
        return fi.suffix().isEmpty() ? QStringLiteral("File") : QStringLiteral("File ") + fi.suffix();
    }
    case DataModifica:
        return italiano().toString(fs->lastModified(origine), QStringLiteral("dd/MM/yyyy HH:mm"));
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

FileDialog::FileDialog(QWidget* parent, const QString& title, const QString& dir, const QString& filters)
    : QFileDialog(parent, title, dir, filters)
{
    // Qt's own dialog, not the desktop's: its texts come from Qt's Italian translations.
    setOption(QFileDialog::DontUseNativeDialog);
    setProxyModel(new ColonneItaliane(this));
    setViewMode(QFileDialog::Detail);
}

void FileDialog::showEvent(QShowEvent* e)
{
    QFileDialog::showEvent(e);
    // Wide enough for the four columns, within the screen (a 1024x768 one included).
    QSize voluta = size().expandedTo(QSize(820, 500));
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        const QSize cornice = frameGeometry().size() - size();
        voluta = voluta.boundedTo(area.size() - cornice);
        resize(voluta);
        move(area.center() - QPoint(voluta.width() / 2, voluta.height() / 2));
    } else {
        resize(voluta);
    }
    auto* vista = findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!vista)
        return;
    // No caption or date cut: each column at least as wide as its header text and its values;
    // the name takes what is left.
    QHeaderView* h = vista->header();
    const QFontMetrics fmTesta(h->font());
    const QFontMetrics fmRighe(vista->font());
    const int margine =
        2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 8;
    const QString campione[] = {QString(), QStringLiteral("999,9 MB"), QStringLiteral("File xlsx"),
                                QStringLiteral("00/00/0000 00:00")};
    int altre = 0;
    for (int i = 1; i < h->count() && i < 4; ++i) {
        const int minimo = qMax(fmTesta.horizontalAdvance(h->model()->headerData(i, Qt::Horizontal).toString()),
                                fmRighe.horizontalAdvance(campione[i])) +
                           margine;
        h->resizeSection(i, qMax(h->sectionSize(i), minimo));
        altre += h->sectionSize(i);
    }
    h->resizeSection(0, qMax(150, vista->viewport()->width() - altre - 2));
}

QString FileDialog::scelta()
{
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return QString();
    return selectedFiles().constFirst();
}

QString FileDialog::apri(QWidget* parent, const QString& title, const QString& dir, const QString& filters)
{
    FileDialog d(parent, title, dir, filters);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    return d.scelta();
}

QString FileDialog::salva(QWidget* parent, const QString& title, const QString& dir, const QString& filters)
{
    FileDialog d(parent, title, dir, filters);
    d.setFileMode(QFileDialog::AnyFile);
    d.setAcceptMode(QFileDialog::AcceptSave);
    // The overwrite question is the caller's, with the program's own words.
    d.setOption(QFileDialog::DontConfirmOverwrite);
    return d.scelta();
}

QString FileDialog::cartella(QWidget* parent, const QString& title, const QString& dir)
{
    FileDialog d(parent, title, dir);
    d.setFileMode(QFileDialog::Directory);
    d.setOption(QFileDialog::ShowDirsOnly);
    return d.scelta();
}
