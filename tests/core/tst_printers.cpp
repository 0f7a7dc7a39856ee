// The printer choice and the default-printer change, on the test printer backend.
#include "core/IniFile.h"
#include "core/Lookups.h"
#include "core/ui/Printers.h"
#include "core/ui/frmChangeST.h"
#include "core/ui/frmSetupCassa.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Test printers whose jobs land in a temporary folder; none is the default yet.
struct TestPrinters
{
    QTemporaryDir dir;
    explicit TestPrinters(const QStringList& names = {"Etichette", "A4 Ufficio"}, const QStringList& failing = {})
    {
        StampantiProva& s = stampantiDiProva();
        s.nomi = names;
        s.guaste = failing;
        s.cartella = dir.path();
    }
};

QString ini(const QString& key)
{
    return LeggiINI(app().percorsoSetup, "STdiSISTEMA", key, "?");
}

void choose(frmChangeST& f, const QString& name)
{
    const auto items = f.List1->findItems(name, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    f.List1->setCurrentItem(items.first());
}

} // namespace

class TestPrinterChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listAndNoSelection()
    {
        TestEnv env(false);
        TestPrinters printers;
        QCOMPARE(Printers::installed(), QStringList({"Etichette", "A4 Ufficio"}));
        QVERIFY(CiSonoStampanti());
        frmChangeST& f = Forms::get<frmChangeST>();
        f.show();
        QCOMPARE(f.List1->count(), 2);
        QTest::mouseClick(f.cmdApplicaST, Qt::LeftButton);
        QCOMPARE(env.messages(), QStringList{"Selezionare una Stampante dall'Elenco"});
        QVERIFY(Forms::isLoaded<frmChangeST>() && f.isVisible());
        QTest::mouseClick(f.cmdAnnullaImpo, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<frmChangeST>());
        QCOMPARE(ini("Predefinita"), QString("?"));
    }

    void tagChoosesTheKey_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("a4");
        QTest::newRow("0") << "0" << true;
        QTest::newRow("1") << "1" << false;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("text") << "x" << false;
    }
    void tagChoosesTheKey()
    {
        QFETCH(QString, tag);
        QFETCH(bool, a4);
        TestEnv env(false);
        TestPrinters printers;
        frmSetupCassa& setup = Forms::get<frmSetupCassa>();
        frmChangeST& f = Forms::get<frmChangeST>();
        f.setTag(tag);
        f.show();
        choose(f, "A4 Ufficio");
        QTest::mouseClick(f.cmdApplicaST, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<frmChangeST>());
        QCOMPARE(ini(a4 ? "Predefinita" : "xFrontalini"), QString("A4 Ufficio"));
        QCOMPARE(ini(a4 ? "xFrontalini" : "Predefinita"), QString("?"));
        QCOMPARE((a4 ? setup.txtStA4 : setup.txtStFR)->text(), QString("A4 Ufficio"));
        QCOMPARE((a4 ? setup.txtStFR : setup.txtStA4)->text(), QString());
        QCOMPARE(Printers::systemDefault(), QString()); // choosing is not making it the default
    }

    void settingsWindowButtons()
    {
        TestEnv env(false);
        {
            TestPrinters none(QStringList{});
            frmSetupCassa& setup = Forms::get<frmSetupCassa>();
            QTest::mouseClick(setup.cmdCambiaST[0], Qt::LeftButton);
            QCOMPARE(env.messages(), QStringList{"Nessuna stampante risulta installata - Impossibile continuare"});
            QVERIFY(!Forms::isLoaded<frmChangeST>());
        }
        TestPrinters printers;
        frmSetupCassa& setup = Forms::get<frmSetupCassa>();
        setup.show();
        QString seenTag;
        QTimer::singleShot(0, [&] {
            frmChangeST* f = Forms::instance<frmChangeST>();
            QVERIFY(f && f->isVisible());
            seenTag = f->tag();
            choose(*f, "Etichette");
            f->cmdApplicaST_Click();
        });
        setup.cmdCambiaST_Click(1); // modal: returns when the choice window closes
        QCOMPARE(seenTag, QString("1"));
        QCOMPARE(setup.txtStFR->text(), QString("Etichette"));
        QCOMPARE(ini("xFrontalini"), QString("Etichette"));
    }

    void defaultAndCurrentPrinter()
    {
        TestEnv env(false);
        TestPrinters printers({"Etichette", "A4 Ufficio"}, {"Guasta"});
        Contesto::stampanti().impostaCorrente("A4 Ufficio");
        QVERIFY(frmChangeST::EseguiAssegnazioneST("Etichette", "xFrontalini"));
        QCOMPARE(Printers::systemDefault(), QString("Etichette"));
        QCOMPARE(Contesto::stampanti().corrente(), QString("Etichette"));
        QCOMPARE(Printers::current(), QString("Etichette"));
        QVERIFY(env.messages().isEmpty());

        // A name no installed printer bears leaves the current printer alone.
        QVERIFY(!ImpostaPrinter("etichette"));
        QCOMPARE(Contesto::stampanti().corrente(), QString("Etichette"));

        // A job for a printer is a PDF in the test folder.
        std::unique_ptr<QPrinter> job = Printers::printerFor("A4 Ufficio");
        QVERIFY(job->outputFileName().startsWith(printers.dir.path()));
        QPainter painter;
        QVERIFY(painter.begin(job.get()));
        painter.drawText(100, 100, "prova");
        painter.end();
        QFile pdf(job->outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(4) == "%PDF");
        QVERIFY(Printers::printerFor("A4 Ufficio")->outputFileName() != job->outputFileName());

        // A printer that is no longer installed is refused, never replaced by another one.
        QString errore;
        QVERIFY(!Printers::printerFor("Etichette Vecchia", &errore));
        QCOMPARE(errore, QString("La stampante \"Etichette Vecchia\" non è installata"));
        Contesto::stampanti().impostaCorrente("Tolta");
        QVERIFY(!Printers::printerFor({}, &errore));
        QCOMPARE(errore, QString("La stampante \"Tolta\" non è installata"));
    }

    void failedDefaultChangeIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("backend refuses") << "Guasta";
        QTest::newRow("not installed") << "Sconosciuta";
    }
    void failedDefaultChangeIsReported()
    {
        QFETCH(QString, name);
        TestEnv env(false);
        TestPrinters printers({"Etichette", "Guasta"}, {"Guasta"});
        QCOMPARE(Printers::setSystemDefault("Etichette"), 0);
        QVERIFY(!frmChangeST::EseguiAssegnazioneST(name));
        QCOMPARE(env.messages(), QStringList{"Impostazione della Stampante Fallita. Codice di Errore: 1"});
        QCOMPARE(Printers::systemDefault(), QString("Etichette"));
        QCOMPARE(Contesto::stampanti().corrente(), QString());
    }

    // CUPS's default is changed by lpoptions while the window's events keep running: its exit
    // code is the answer, 127 when it cannot start, -1 when it does not end in time.
    void lpoptionsDoesNotBlockTheWindow_data()
    {
        QTest::addColumn<QString>("script"); // empty: no lpoptions at all
        QTest::addColumn<double>("scala");
        QTest::addColumn<int>("codice");
        QTest::newRow("done") << "/bin/sleep 0.3; exit 0" << 1.0 << 0;
        QTest::newRow("refused") << "/bin/sleep 0.3; exit 4" << 1.0 << 4;
        QTest::newRow("missing") << QString() << 1.0 << 127;
        QTest::newRow("hung") << "exec /bin/sleep 30" << 0.1 << -1;
    }
    void lpoptionsDoesNotBlockTheWindow()
    {
        QFETCH(QString, script);
        QFETCH(double, scala);
        QFETCH(int, codice);
        TestEnv env(false, scala);
        QTemporaryDir bin;
        if (!script.isEmpty()) {
            QFile f(bin.filePath("lpoptions"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n" + script.toUtf8() + "\n");
            f.close();
            QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        bool evento = false;
        QTimer::singleShot(50, [&evento] { evento = true; });
        StampantiCups cups;
        const int risultato = cups.impostaPredefinita("Etichette");
        qputenv("PATH", path);
        QCOMPARE(risultato, codice);
        if (!script.isEmpty())
            QVERIFY(evento); // the timer fired while lpoptions ran
    }
};

QTEST_MAIN(TestPrinterChoice)
#include "tst_printers.moc"
