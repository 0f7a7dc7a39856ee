// A fatal device error (class 9) ends the program: the database closed, the single-instance lock
// released, a non-zero exit status. Checked with two processes: this test starts itself again as
// the program that sends a command file to a register answering "Stampante scollegata", then
// takes the lock the ended program held.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Istanza.h"
#include "core/Paths.h"
#include "core/Programma.h"
#include "core/Progress.h"
#include "core/TextFile.h"
#include "core/ui/Ui.h"
#include "reglink/Collegamento.h"
#include "reglink/CommandSender.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

namespace {

const char* kFiglio = "TAVRINO_TEST_CLASSE9_FIGLIO";

// The program's fatal end as the program (src/app) has it.
struct ProgrammaFiglio final : Programma
{
    void mostraMagazzinoModale() override {}
    void mostraMagazzino() override {}
    void terminaProgramma() override {}
    void terminaPerErroreGrave() override { Istanza::terminaPerErroreGrave(); }
    Esito gestisciTabelleCollegate(ProgressSink&, bool& collegate) override
    {
        collegate = false;
        return Esito::riuscito();
    }
    Esito importaDaDatabaseEsterno(ProgressSink&) override { return Esito::riuscito(); }
};

// The second process: the program in its own folder (TAVRINO_HOME from the parent) with the lock
// held and the database open, sending to a register that reports a fatal error.
int programmaFiglio()
{
    ProgrammaFiglio programma;
    TestEnv env(TestEnv::Cartelle{qEnvironmentVariable("TAVRINO_HOME"), qEnvironmentVariable("XDG_CONFIG_HOME")}, false,
                0.1);
    // The failure file is recorded, not shown.
    env.interazione().answerWith = [](const QString&, Interaction::Buttons) { return Interaction::Ok; };
    env.usaProgramma(programma);
    if (Istanza::blocca() != Istanza::Blocco::Unica)
        return 2;
    QDir(Paths::programFolder()).mkpath(QStringLiteral("Dati"));
    if (!Db::ApriDatabase(Paths::databasePath()))
        return 3;
    if (!ScriviINI(app().percorsoSetup, QStringLiteral("Cartelle"), QStringLiteral("OUT"), Paths::programFolder()))
        return 4;
    auto reg = FakeRegister::udp();
    reg->setErrore(QStringLiteral("P/"), 46); // "Stampante scollegata", class 9
    RegLink::timings() = RegLink::Timings::veloci();
    RegLink::timings().portaUDP = reg->port();
    const QString file = Paths::inProgramFolder(QStringLiteral("FilePLU127002.txt"));
    if (!TextFile::writeLines(file, {QStringLiteral("P/51/8001/PANE/1/0/1.00/150.00/1.000/00010000/")}))
        return 5;
    RegLink::risposte().contatoreApertura = 0;
    NoProgress righe;
    StatoLineaProva stato;
    RegLink::EsameComandi(file, reg->address(), righe, stato);
    return 0; // the program went on: the test sees status 0 and fails
}

} // namespace

class TestClasse9 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endReleasesTheLock()
    {
        QTemporaryDir home, config;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kFiglio, "1");
        env.insert("TAVRINO_HOME", home.path());
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(p.waitForStarted(10000));
        QVERIFY(p.waitForFinished(60000));

        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), Istanza::kUscitaErroreGrave);
        const QString lock = QDir(home.path()).filePath("tavrino.lock");
        QVERIFY(!QFile::exists(lock));
        QLockFile secondo(lock);
        secondo.setStaleLockTime(0);
        QVERIFY(secondo.tryLock(0)); // the next start of the program is not refused
        QVERIFY(QFile::exists(QDir(home.path()).filePath("Dati/DbNegozio.db")));
    }
};

int main(int argc, char** argv)
{
    QApplication a(argc, argv);
    if (qEnvironmentVariableIsSet(kFiglio))
        return programmaFiglio();
    TestClasse9 t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_classe9.moc"
