#pragma once
// The file and folder pickers: Qt's own dialog with its list in Italian (the type column, the
// dates as dd/mm/yyyy, sizes with a decimal comma) and every column wide enough for its caption,
// within a 1024x768 screen.
#include <QFileDialog>
#include <QIdentityProxyModel>

// The dialog's file list as the shop keeper reads it; the file model's English type names and
// the system locale's dates are replaced, everything else is the model's own.
class ColonneItaliane final : public QIdentityProxyModel
{
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

class FileDialog final : public QFileDialog
{
    Q_OBJECT
public:
    FileDialog(QWidget* parent, const QString& title, const QString& dir, const QString& filters = {});

    // The chosen path, empty when cancelled.
    static QString apri(QWidget* parent, const QString& title, const QString& dir, const QString& filters);
    static QString salva(QWidget* parent, const QString& title, const QString& dir, const QString& filters);
    static QString cartella(QWidget* parent, const QString& title, const QString& dir);

protected:
    void showEvent(QShowEvent* e) override;

private:
    QString scelta();
};
