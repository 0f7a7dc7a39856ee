// The context between tests: when a test's TestEnv ends, every service leaves the context, so a
// later use stops at once with the service's name instead of reaching what the last test left
// (its fakes, its windows, its line). Checked in a second process, which must stop.
#include "core/Contesto.h"
#include "core/ui/Ui.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>

namespace {

const char* kFiglio = "TAVRINO_TEST_CONTESTO_FIGLIO";

// The second process: one test with its own fake interaction ends, then the service named by
// the parent is used.
int figlio(const QString& servizio)
{
    {
        ScriptedInteraction finta; // the test's own fake, put in place through TestEnv
        TestEnv env(false);
        env.usaInterazione(finta);
        Msg::info(QStringLiteral("dentro il test"));
        if (finta.shown != QStringList{QStringLiteral("dentro il test")})
            return 2;
    }
    if (servizio == QLatin1String("interaction"))
        Contesto::interazione();
    else if (servizio == QLatin1String("program state"))
        Contesto::stato();
    else if (servizio == QLatin1String("program"))
        Contesto::programma();
    else if (servizio == QLatin1String("register link"))
        Contesto::collegamento();
    else if (servizio == QLatin1String("imports"))
        Contesto::importazioni();
    else if (servizio == QLatin1String("printers"))
        Contesto::stampanti();
    else if (servizio == QLatin1String("windows"))
        Contesto::finestre();
    return 0; // the service outlived its test
}

} // namespace

class TestContesto : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyAfterTheTest_data()
    {
        QTest::addColumn<QString>("servizio");
        for (const char* s :
             {"interaction", "program state", "program", "register link", "imports", "printers", "windows"})
            QTest::newRow(s) << QString::fromLatin1(s);
    }
    void emptyAfterTheTest()
    {
        QFETCH(QString, servizio);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kFiglio, servizio);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(p.waitForStarted(10000));
        QVERIFY(p.waitForFinished(60000));
        const QString errori = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(p.exitStatus() == QProcess::CrashExit, qPrintable(errori));
        QVERIFY2(errori.contains(QStringLiteral("Contesto: no %1 installed").arg(servizio)), qPrintable(errori));
    }
};

int main(int argc, char** argv)
{
    QApplication a(argc, argv);
    if (qEnvironmentVariableIsSet(kFiglio))
        return figlio(qEnvironmentVariable(kFiglio));
    TestContesto t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_contesto.moc"
