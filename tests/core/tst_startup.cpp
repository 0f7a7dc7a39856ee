// The start-up: captions, keyboard flag, date check, settings load, the start-up error path,
// the splash handover and the timed notice.
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/Startup.h"
#include "core/ui/Ui.h"
#include "core/ui/frmDataSistema.h"
#include "core/ui/frmInfo.h"
#include "core/ui/frmSplash.h"
#include "core/ui/mdiPrincipale.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cmath>

namespace {

QString storedDate()
{
    return LeggiINI(app().percorsoSetup, "DataSistema", "Data", "?");
}

// Counts the handovers to the article window, and what the external-database step did
// (through the program TestEnv installed).
struct HandoverSpy
{
    TestProgramma& p;
    int& magazzino = p.magazzinoModale;
    int& imports = p.importazioni;
    explicit HandoverSpy(TestEnv& env, bool linked = false, std::function<void()> duringImport = {})
        : p(env.programma())
    {
        p.collegate = linked;
        p.duranteImportazione = std::move(duringImport);
    }
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void testoStato_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("nome");
        QTest::newRow("missing") << QByteArray() << QString("?");
        QTest::newRow("short") << QByteArray("[Distributore]\r\nNome=Rossi Srl\r\n") << QString("Rossi Srl");
        QTest::newRow("exactly 42") << ("[Distributore]\r\nNome=" + QByteArray(42, 'n') + "\r\n") << QString(42, 'n');
        QTest::newRow("too long") << ("[Distributore]\r\nNome=" + QByteArray(42, 'a') + "BBBB\r\n") << QString(42, 'a');
    }
    void testoStato()
    {
        QFETCH(QByteArray, setup);
        QFETCH(QString, nome);
        TestEnv env(false);
        if (!setup.isEmpty())
            writeRaw(env.setup(), setup);
        ImpostaTestiStato(1);
        const QString t = app().testoStato;
        const QString version =
            QStringLiteral("Tavrino v. %1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
        QCOMPARE(t, "Distribuito da: " + nome.leftJustified(42, ' ') + QString(178, ' ') + version);
        QCOMPARE(t.indexOf("Tavrino v."), 16 + 42 + 178); // the version always starts at the same column
        app().testoStato = "x";
        ImpostaTestiStato(2); // only mode 1 does anything
        QCOMPARE(app().testoStato, QString("x"));
    }

    void tastieraVisibile_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("visible");
        QTest::newRow("falso") << QByteArray("TastieraVisibile=falso") << false;
        QTest::newRow("FALSO") << QByteArray("TastieraVisibile=FALSO") << false;
        QTest::newRow("Falso quoted") << QByteArray("TastieraVisibile=\"Falso\"") << false;
        QTest::newRow("No") << QByteArray("TastieraVisibile=No") << true;
        QTest::newRow("0") << QByteArray("TastieraVisibile=0") << true;
        QTest::newRow("empty") << QByteArray("TastieraVisibile=") << true;
        QTest::newRow("missing") << QByteArray("Altro=1") << true;
    }
    void tastieraVisibile()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, visible);
        TestEnv env(false);
        writeRaw(env.setup(), "[Config]\r\n" + line + "\r\n");
        app().tastieraVisibile = !visible;
        LeggiTastieraVisibile();
        QCOMPARE(app().tastieraVisibile, visible);
    }

    void dateCheck_data()
    {
        QTest::addColumn<QString>("stored"); // "?" = missing
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("logged");
        QTest::newRow("missing") << "?" << int(EsitoData::Scritta) << "09/12/2026" << false;
        QTest::newRow("equal") << "09/12/2026" << int(EsitoData::Scritta) << "09/12/2026" << false;
        QTest::newRow("earlier") << "31/01/2025" << int(EsitoData::Scritta) << "09/12/2026" << false;
        QTest::newRow("later") << "10/12/2026" << int(EsitoData::DataPosteriore) << "10/12/2026" << false;
        QTest::newRow("garbage") << "ieri" << int(EsitoData::Illeggibile) << "ieri" << true;
        QTest::newRow("impossible date") << "31/02/2026" << int(EsitoData::Illeggibile) << "31/02/2026" << true;
    }
    void dateCheck()
    {
        QFETCH(QString, stored);
        QFETCH(int, result);
        QFETCH(QString, after);
        QFETCH(bool, logged);
        TestEnv env;
        if (stored != "?")
            QVERIFY(ScriviINI(env.setup(), "DataSistema", "Data", stored));
        QCOMPARE(int(ControllaDataDiSistema(QDate(2026, 12, 9))), result);
        QCOMPARE(storedDate(), after);
        QCOMPARE(readAll(env.path("Dati/ErrorLog.dat")).contains("*-Modulo_FUNZIONI-ControllaDataDiSistema-]"), logged);
    }

    void dateCheckWriteFailure()
    {
        TestEnv env;
        QVERIFY(QDir().mkpath(env.setup())); // Setup.ini cannot be written: it is a folder
        QCOMPARE(ControllaDataDiSistema(), EsitoData::ScritturaFallita);
        QVERIFY(!Startup::controllaDataSistema().ok);
    }

    // The clock was set back: a modal window asks the date, refuses a bad one, stores a good one.
    void clockSetBackAsksTheDate()
    {
        TestEnv env;
        const QString tomorrow = Vb::formatDate(QDate::currentDate().addDays(1));
        QVERIFY(ScriviINI(env.setup(), "DataSistema", "Data", tomorrow));
        QStringList steps;
        QTimer::singleShot(50, [&steps] {
            frmDataSistema* f = Forms::instance<frmDataSistema>();
            if (!f || !f->isVisible() || !f->isModal())
                return;
            steps << "shown";
            QTest::keyClicks(f->txtNewData, "32/13/2026");
            QTest::mouseClick(f->cmdOk, Qt::LeftButton);
            steps << (f->isVisible() ? "still open" : "closed");
            // Closing without a valid date is refused as well.
            f->close();
            steps << (Forms::isLoaded<frmDataSistema>() ? "still loaded" : "unloaded");
            f->txtNewData->clear();
            QTest::keyClicks(f->txtNewData, "1/3/2026");
            QTest::keyClick(f->txtNewData, Qt::Key_Return);
        });
        QElapsedTimer t;
        t.start();
        QVERIFY(Startup::controllaDataSistema().ok);
        QVERIFY(t.elapsed() < 10000);
        QCOMPARE(steps, (QStringList{"shown", "still open", "still loaded"}));
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().first().contains("gg/mm/aaaa"));
        QCOMPARE(storedDate(), QString("01/03/2026"));
        QVERIFY(!Forms::isLoaded<frmDataSistema>());
    }

    void leggiImpostazioni_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<int>("metodo");
        QTest::addColumn<qint64>("colore");
        QTest::addColumn<QString>("eth");
        QTest::addColumn<bool>("tabCollegate");
        QTest::addColumn<bool>("logged");
        const qint64 face = kColoreButtonFace;
        const Riga<QByteArray, int, qint64, QString, bool, bool> riga;
        riga("empty file", "\r\n", 1, face, "", true, false);
        riga("method 2", "[Acquisizione]\r\nMetodo=2\r\n", 2, face, "", true, false);
        riga("method blank 2", "[Acquisizione]\r\nMetodo=\" 2\"\r\n", 1, face, "", true, false);
        riga("method 0", "[Acquisizione]\r\nMetodo=0\r\n", 1, face, "", true, false);
        riga("method text", "[Acquisizione]\r\nMetodo=due\r\n", 1, face, "", true, false);
        riga("colour", "[InterfacciaUtente]\r\nColore=12632256\r\n", 1, 12632256, "", true, false);
        riga("system colour as Long", "[InterfacciaUtente]\r\nColore=-2147483633\r\n", 1, face, "", true, false);
        riga("colour garbage", "[InterfacciaUtente]\r\nColore=rosso\r\n", 1, face, "", true, true);
        riga("colour empty", "[InterfacciaUtente]\r\nColore=\r\n", 1, face, "", true, true);
        riga("eth empty", "[RegCassa]\r\nPortaETH1=\r\n", 1, face, "", true, false);
        riga("eth", "[RegCassa]\r\nPortaETH1=192.168.1.50\r\n", 1, face, "192.168.1.50", true, false);
        riga("linked off", "[TabCollegate]\r\nGestione=falso\r\n", 1, face, "", false, false);
        riga("linked other", "[TabCollegate]\r\nGestione=No\r\n", 1, face, "", true, false);
    }
    void leggiImpostazioni()
    {
        QFETCH(QByteArray, setup);
        QFETCH(int, metodo);
        QFETCH(qint64, colore);
        QFETCH(QString, eth);
        QFETCH(bool, tabCollegate);
        QFETCH(bool, logged);
        TestEnv env;
        writeRaw(env.setup(), setup);
        app().portaETH1 = "vecchio";
        LeggiImpostazioni();
        QCOMPARE(app().metodoAcquisizione, metodo);
        QCOMPARE(app().coloreSfondo, colore);
        QCOMPARE(app().portaETH1, eth);
        QCOMPARE(app().tabCollegate, tabCollegate);
        const QByteArray log = readAll(env.path("Dati/ErrorLog.dat"));
        QCOMPARE(log.contains("*-Funzioni-LeggiImpostazioni-]"), logged);
        if (colore == kColoreButtonFace)
            QCOMPARE(colorFromVb(app().coloreSfondo), QApplication::palette().color(QPalette::Button));
    }

    void leggiImpostazioniWithoutFile()
    {
        TestEnv env;
        LeggiImpostazioni();
        QCOMPARE(app().metodoAcquisizione, 0);           // nothing read, nothing changed
        QCOMPARE(app().coloreSfondo, kColoreButtonFace); // the default, untouched
        QVERIFY(!QFile::exists(env.setup()));
    }

    void portBlocks()
    {
        TestEnv env(false);
        writeRaw(env.setup(),
                 "[BarCode]\r\nPortaCOM=3\r\n[RegCassa]\r\nPortaCOM=1\r\nPortaCOM2=?\r\nVelocitaCOM=19200\r\n"
                 "ParitaDatiCOM=Pari\r\nFlussoDatiCOM=\r\n");
        LeggiPortaBarCode();
        const auto& b = app().impostazioniBarCode;
        QCOMPARE(b.portaCOM, QString("3"));
        QCOMPARE(b.linea.velocita, QString("9600"));
        QCOMPARE(b.linea.bitDati, QString("8"));
        QCOMPARE(b.linea.parita, QString("Nessuna"));
        QCOMPARE(b.linea.bitStop, QString("1"));
        QCOMPARE(b.linea.flusso, QString("Nessuno"));
        LeggiPortaRegCassa();
        const auto& r = app().impostazioniRegCassa;
        QCOMPARE(r.portaCOM, QString("1"));
        QCOMPARE(r.portaCOM1, QString());
        QCOMPARE(r.portaCOM2, QString()); // a stored "?" is missing too
        QCOMPARE(r.linea.velocita, QString("19200"));
        QCOMPARE(r.linea.parita, QString("Pari"));
        QCOMPARE(r.linea.flusso, QString()); // present but empty stays empty
        QCOMPARE(r.linea.bitStop, QString("1"));
    }

    void flagPiruNEX_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QString>("after");
        QTest::newRow("missing") << QByteArray() << false << "Falso";
        QTest::newRow("empty") << QByteArray("[RegCassa]\r\nPiruNEX=\r\n") << false << "Falso";
        QTest::newRow("falso") << QByteArray("[RegCassa]\r\nPiruNEX=falso\r\n") << false << "falso";
        QTest::newRow("Vero") << QByteArray("[RegCassa]\r\nPiruNEX=Vero\r\n") << true << "Vero";
        QTest::newRow("other") << QByteArray("[RegCassa]\r\nPiruNEX=si\r\n") << true << "si";
    }
    void flagPiruNEX()
    {
        QFETCH(QByteArray, setup);
        QFETCH(bool, flag);
        QFETCH(QString, after);
        TestEnv env(false);
        if (!setup.isEmpty())
            writeRaw(env.setup(), setup);
        QCOMPARE(LeggiFlagPiruNEX(), flag);
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PiruNEX", "?"), after);
    }

    void errorPathAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<int>("runs");
        QTest::newRow("abort") << int(QMessageBox::Abort) << false << 1;
        QTest::newRow("retry") << int(QMessageBox::Retry) << true << 2;
        QTest::newRow("ignore") << int(QMessageBox::Ignore) << true << 1;
        QTest::newRow("other") << int(QMessageBox::Cancel) << false << 1;
    }
    void errorPathAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, goesOn);
        QFETCH(int, runs);
        TestEnv env(false);
        env.answer({QMessageBox::Ok, QMessageBox::StandardButton(answer)});
        int n = 0;
        const bool r = Startup::eseguiPasso(
            [&n] { return ++n == 1 ? Esito::fallito(VbErr::FileNotFound, "DbNegozio.db") : Esito::riuscito(); });
        QCOMPARE(r, goesOn);
        QCOMPARE(n, runs);
        QCOMPARE(env.messages().mid(0, 2),
                 (QStringList{"Impossibile trovare il file: DbNegozio.db", "Errore in fase di inizializzazione."}));
    }

    // Start-up on a broken program folder: the message, the question, Abort ends; nothing is created.
    void startupFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing Dati") << "missing Dati";
        QTest::newRow("corrupt database") << "corrupt database";
        QTest::newRow("read-only database file") << "read-only database file";
        QTest::newRow("Setup.ini not writable") << "Setup.ini not writable";
        QTest::newRow("read-only Dati") << "read-only Dati";
    }
    void startupFailures()
    {
        QFETCH(QString, kind);
        TestEnv env(false);
        HandoverSpy spy(env);
        const QString dati = env.path("Dati");
        const QString db = env.path("Dati/DbNegozio.db");
        const QByteArray garbage = QByteArray("non è un database ").repeated(300);
        if (kind != "missing Dati")
            QVERIFY(QDir().mkpath(dati));
        if (kind == "corrupt database")
            writeRaw(db, garbage);
        if (kind == "read-only database file") {
            writeRaw(db, QByteArray());
            QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup);
        }
        if (kind == "Setup.ini not writable")
            QVERIFY(QDir().mkpath(env.setup()));
        if (kind == "read-only Dati") {
            QFile::setPermissions(dati, QFile::ReadOwner | QFile::ExeOwner);
            QFile probe(env.path("Dati/probe"));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                QFile::setPermissions(dati, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("running as root: a read-only folder is still writable");
            }
        }
        if (kind == "read-only database file" && QFileInfo(db).isWritable()) {
            QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
            QSKIP("running as root: a read-only file is still writable");
        }

        env.answer({QMessageBox::Ok, QMessageBox::Abort});
        const bool started = Startup::Main();
        Startup::rilasciaIstanza();
        QFile::setPermissions(dati, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);

        QVERIFY(!started);
        QCOMPARE(env.messages().size(), 2);
        QVERIFY(!env.messages().at(0).isEmpty());
        QCOMPARE(env.messages().at(1), QString("Errore in fase di inizializzazione."));
        QVERIFY(!Db::isOpen());
        QVERIFY(!Forms::isLoaded<frmSplash>());
        QCOMPARE(spy.magazzino, 0);
        if (kind == "missing Dati")
            QVERIFY(!QFile::exists(dati));
        if (kind == "corrupt database")
            QCOMPARE(readAll(db), garbage);
    }

    // The shopkeeper fixes the folder while the question is up, and Retry then starts normally.
    void retryAfterFixingDati()
    {
        TestEnv env(false);
        HandoverSpy spy(env);
        QStringList seen;
        const QString dati = env.path("Dati");
        env.interazione().answerWith = [&seen, dati](const QString& text, Interaction::Buttons) {
            seen << text;
            if (text != "Errore in fase di inizializzazione.")
                return Interaction::Ok;
            QDir().mkpath(dati);
            return Interaction::Retry;
        };
        QVERIFY(Startup::Main());
        Startup::rilasciaIstanza();
        QCOMPARE(seen.size(), 2);
        QVERIFY(Db::isOpen());
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Reparti").toInt(), 40);
        QVERIFY(Forms::isLoaded<frmSplash>());
    }

    // Ignore on a database that cannot be opened: the reason in Italian (the driver's text only
    // in the log), and no empty archive in place of the shop's: the program ends.
    void ignoredDatabaseFailureEndsTheProgram_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing Dati") << "missing Dati"
                                      << "Manca la cartella dei dati";
        QTest::newRow("not a database") << "not a database"
                                        << "non è un archivio dei PLU";
    }
    void ignoredDatabaseFailureEndsTheProgram()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        TestEnv env(false);
        HandoverSpy spy(env);
        if (kind == "not a database") {
            QVERIFY(QDir().mkpath(env.path("Dati")));
            writeRaw(env.path("Dati/DbNegozio.db"), QByteArray("questo non è un database ").repeated(200));
        }
        env.answer({QMessageBox::Ok, QMessageBox::Ignore, QMessageBox::Ok});
        QVERIFY(!Startup::Main());
        Startup::rilasciaIstanza();
        QVERIFY(!Db::isOpen());
        QVERIFY(!Forms::isLoaded<frmSplash>());
        QCOMPARE(spy.magazzino, 0);
        const QStringList m = env.messages();
        QCOMPARE(m.size(), 3);
        QVERIFY2(m.at(0).contains(reason), qPrintable(m.at(0)));
        QVERIFY2(!m.at(0).contains("file is not a database") && !m.at(0).contains("Unable"), qPrintable(m.at(0)));
        QCOMPARE(m.at(1), QString("Errore in fase di inizializzazione."));
        QVERIFY(m.at(2).contains("il programma non può continuare"));
    }

    void normalStartCreatesDatabase()
    {
        TestEnv env(false);
        HandoverSpy spy(env);
        QVERIFY(QDir().mkpath(env.path("Dati")));
        writeRaw(env.setup(), "[Acquisizione]\r\nMetodo=2\r\n[Distributore]\r\nNome=Rossi\r\n");
        QVERIFY(Startup::Main());
        QVERIFY(env.messages().isEmpty());
        QVERIFY(Db::isOpen());
        QVERIFY(QFile::exists(env.path("Dati/DbNegozio.db")));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Reparti").toInt(), 40);
        QCOMPARE(app().titoloProgramma, QString("Tavrino"));
        QCOMPARE(app().parolaInterscambio, QString("QUIDAR"));
        QCOMPARE(app().percorsoSetup, env.setup());
        QCOMPARE(app().metodoAcquisizione, 2);
        QVERIFY(app().testoStato.startsWith("Distribuito da: Rossi "));
        QCOMPARE(storedDate(), Vb::formatDate(QDate::currentDate()));
        QVERIFY(QFile::exists(env.path("tavrino.lock")));
        frmSplash* s = Forms::instance<frmSplash>();
        QVERIFY(s && s->isVisible());
        QCOMPARE(s->lblWarning->text(), QString("ATTENDERE Prego... Inizializzazione in Corso"));
        QCOMPARE(s->lblCompanyProduct->text(), QString("Tavrino"));
        QVERIFY(s->lblVersion->text().startsWith("Versione "));
        Startup::rilasciaIstanza();
        QVERIFY(!QFile::exists(env.path("tavrino.lock")));
    }

    void splashKeyThenTimer()
    {
        TestEnv env(false);
        HandoverSpy spy(env);
        frmSplash& s = Forms::get<frmSplash>();
        QPointer<frmSplash> guard(&s);
        s.TimerCarica->setInterval(30);
        s.TimerCarica->start(); // the timer is about to fire as well
        s.showModeless();
        QTest::keyClick(&s, Qt::Key_Space);
        QTRY_COMPARE(spy.magazzino, 1);
        QTest::qWait(150);
        QCOMPARE(spy.magazzino, 1);
        QVERIFY(!Forms::isLoaded<frmSplash>());
        QTRY_VERIFY(guard.isNull());
        mdiPrincipale* m = Forms::instance<mdiPrincipale>();
        QVERIFY(m && m->isVisible());
    }

    void splashActivationThenKey()
    {
        TestEnv env(false);
        HandoverSpy spy(env);
        frmSplash& s = Forms::get<frmSplash>();
        s.TimerCarica->setInterval(200);
        s.showModeless();
        QTRY_VERIFY(s.TimerCarica->isActive()); // the activation started the timer
        QVERIFY(Forms::isLoaded<mdiPrincipale>());
        QVERIFY(!Forms::instance<mdiPrincipale>()->isVisible()); // loaded, not shown
        QTest::keyClick(&s, Qt::Key_A);
        QTRY_COMPARE(spy.magazzino, 1);
        QTest::qWait(300);
        QCOMPARE(spy.magazzino, 1);
        QVERIFY(Forms::instance<mdiPrincipale>()->isVisible());
    }

    // The timer alone hands over once; with linked tables the external copy runs first, and a key
    // pressed meanwhile must not hand over a second time.
    void splashTimer_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("alone") << false;
        QTest::newRow("linked tables") << true;
    }
    void splashTimer()
    {
        QFETCH(bool, linked);
        TestEnv env(false);
        HandoverSpy spy(env, linked, [] {
            if (frmSplash* s = Forms::instance<frmSplash>())
                QTest::keyClick(s, Qt::Key_Space);
            QTest::qWait(20);
        });
        frmSplash& s = Forms::get<frmSplash>();
        s.TimerCarica->setInterval(20);
        s.showModeless();
        QTRY_COMPARE(spy.magazzino, 1);
        QCOMPARE(spy.imports, linked ? 1 : 0);
        QTest::qWait(100);
        QCOMPARE(spy.magazzino, 1);
        QVERIFY(!Forms::isLoaded<frmSplash>());
        QVERIFY(Forms::instance<mdiPrincipale>()->isVisible());
    }

    // The window manager's close button on the splash goes on as the timer would: to the main
    // and article windows, once, never to a program without a window. Closed before its activation
    // or during the external copy, the start-up steps run first.
    void splashClosedByTheWindowManager_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<bool>("beforeActivation");
        QTest::newRow("timer running") << false << false;
        QTest::newRow("before its activation") << false << true;
        QTest::newRow("during the external copy") << true << false;
    }
    void splashClosedByTheWindowManager()
    {
        QFETCH(bool, linked);
        QFETCH(bool, beforeActivation);
        TestEnv env(false);
        HandoverSpy spy(env, linked, [] {
            if (frmSplash* s = Forms::instance<frmSplash>())
                s->close();
            QTest::qWait(20);
            QVERIFY(Forms::isLoaded<frmSplash>()); // the copy goes on to its end
        });
        frmSplash& s = Forms::get<frmSplash>();
        QPointer<frmSplash> guard(&s);
        s.TimerCarica->setInterval(60000);
        s.showModeless();
        if (!beforeActivation && !linked)
            QTRY_VERIFY(s.TimerCarica->isActive());
        if (!linked)
            s.close(); // what the close button does
        QTRY_COMPARE(spy.magazzino, 1);
        QCOMPARE(spy.imports, linked ? 1 : 0);
        QTRY_VERIFY(guard.isNull());
        mdiPrincipale* m = Forms::instance<mdiPrincipale>();
        QVERIFY(m && m->isVisible());
        QTest::qWait(50);
        QCOMPARE(spy.magazzino, 1);
    }

    void waits()
    {
        TestEnv env(false, 0.05);
        bool fired = false;
        QTimer::singleShot(5, [&fired] { fired = true; });
        QElapsedTimer t;
        t.start();
        Attesa(1000, InputUtente::Trattenuto); // 50 ms here, with events running
        QVERIFY(t.elapsed() >= 45);
        QVERIFY(fired);
        t.restart();
        Attesa(std::nan(""), InputUtente::Trattenuto);
        Attesa(-500, InputUtente::SoloControlliVivi);
        AttesaSenzaInput(-1);
        QVERIFY(t.elapsed() < 200);
        QVERIFY(AttendiFinche([] { return true; }, 10000, InputUtente::Trattenuto));
        t.restart();
        QVERIFY(!AttendiFinche([] { return false; }, 600, InputUtente::SoloControlliVivi)); // 30 ms here
        QVERIFY(t.elapsed() >= 30 && t.elapsed() < 2000);
    }

    void frmInfoClosesItself()
    {
        TestEnv env(false, 0.02); // 2.5 s become 50 ms
        app().saltaAggiornamento = false;
        QElapsedTimer t;
        t.start();
        QStringList mostrati; // the notice's text while it is up
        QTimer::singleShot(0, [&mostrati] {
            if (frmInfo* f = Forms::instance<frmInfo>(); f && f->isVisible())
                mostrati << f->lblMsg->text();
        });
        frmInfo::mostra("ATTENZIONE l'applicazione\r\nrisulta già in uso");
        QVERIFY(t.elapsed() >= 40);
        QVERIFY(t.elapsed() < 5000);
        QVERIFY(app().saltaAggiornamento);
        QVERIFY(!Forms::isLoaded<frmInfo>());
        QCOMPARE(mostrati, QStringList{"ATTENZIONE l'applicazione\nrisulta già in uso"}); // CR LF: a line break
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
