// The file picker as the shop keeper sees it: Qt's dialog with its list in Italian and its
// captions uncut, within the screen.
#include "core/ui/FileDialog.h"
#include "core/ui/Traduzioni.h"
#include "core/ui/WidgetInteraction.h"
#include "support/TestEnv.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

class TestFileDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void italianListUncut()
    {
        TestEnv env(false);
        Traduzioni traduzioni;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Listini")));
        QFile f(dir.filePath(QStringLiteral("prezzi.xlsx")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(1500, 'x')) == 1500);
        f.close();
        const QString attesa = QFileInfo(f).lastModified().toString(QStringLiteral("dd/MM/yyyy HH:mm"));

        QStringList visto;
        bool entroLoSchermo = false;
        QStringList tagliate;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            auto* vista = d->findChild<QTreeView*>(QStringLiteral("treeView"));
            QVERIFY(vista && vista->isVisible());
            QAbstractItemModel* m = vista->model();
            QTRY_COMPARE(m->rowCount(vista->rootIndex()), 2);
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < 4; ++c)
                    visto << m->index(r, c, vista->rootIndex()).data().toString();
            QHeaderView* h = vista->header();
            for (int i = 0; i < h->count(); ++i) {
                const QString testo = m->headerData(i, Qt::Horizontal).toString();
                if (h->sectionSize(i) < QFontMetrics(h->font()).horizontalAdvance(testo) + 8)
                    tagliate << testo;
            }
            const QRect schermo = d->screen()->availableGeometry().intersected(QRect(0, 0, 1024, 768));
            entroLoSchermo =
                d->frameGeometry().width() <= schermo.width() && d->frameGeometry().height() <= schermo.height();
            d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("prezzi.xlsx"));
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
        });
        WidgetInteraction interazione;
        const QString scelto = interazione.chooseOpenFile(QStringLiteral("Listino"), dir.path(), {});

        QCOMPARE(visto, QStringList({QStringLiteral("Listini"), QString(), QStringLiteral("Cartella"),
                                     QFileInfo(dir.filePath(QStringLiteral("Listini")))
                                         .lastModified()
                                         .toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                                     QStringLiteral("prezzi.xlsx"), QStringLiteral("1,5 kB"),
                                     QStringLiteral("File xlsx"), attesa}));
        QCOMPARE(tagliate, QStringList());
        QVERIFY(entroLoSchermo);
        QCOMPARE(scelto, QFileInfo(f).absoluteFilePath());
    }
};

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
