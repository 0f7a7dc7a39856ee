// The shop database (creation, reopening, refusal of bad files), the lookups on it, the key
// filters of the edit fields and the button pictures.
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Lookups.h"
#include "core/Paths.h"
#include "core/Schema.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

int count(const QString& sql, const QVariantList& values = {})
{
    return valoreDb(sql, values).toInt();
}

const QStringList kTables = {"Magazzino", "Reparti", "Offerte", "BarCodeUlteriori", "StoricoPLU", "MagazzinoPerQuidar"};

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newDatabaseHasSchemaAndDepartments()
    {
        TestEnv env;
        QVERIFY(Db::isOpen());
        QCOMPARE(Db::currentPath(), Paths::databasePath());
        for (const QString& t : kTables)
            QVERIFY2(count("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name=?", {t}) == 1,
                     qPrintable(t));
        QCOMPARE(valoreDb("PRAGMA user_version").toInt(), Schema::currentVersion());
        QCOMPARE(count("SELECT COUNT(*) FROM Reparti"), 40);
        QCOMPARE(count("SELECT MIN(Cod) FROM Reparti"), 1);
        QCOMPARE(count("SELECT MAX(Cod) FROM Reparti"), 40);
        QCOMPARE(count("SELECT COUNT(*) FROM Reparti WHERE Descrizione = 'Reparto' || Cod AND Iva = 0 AND "
                       "PrezzoPrefissato = 0 AND Sconto = 0 AND NoFiscale = 0"),
                 40);
        QCOMPARE(valoreDb("PRAGMA synchronous").toInt(), 2); // FULL
        // The program-location file records the program folder.
        QCOMPARE(LeggiINI(Paths::programLocationFile(), "Tavrino", "Percorso", "?"), env.home());
    }

    void reopeningKeepsData()
    {
        TestEnv env;
        QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione) VALUES (?, ?)", {7, "Pane"}));
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = ? WHERE Cod = ?", {"Forno", 2}));
        Db::ChiudiDatabase();
        QVERIFY(!Db::isOpen());
        QVERIFY(Db::ApriDatabase(Paths::databasePath()));
        QCOMPARE(valoreDb("SELECT Descrizione FROM Magazzino WHERE CodMateriale = ?", {7}).toString(), QString("Pane"));
        QCOMPARE(count("SELECT COUNT(*) FROM Reparti"), 40); // not seeded twice
        QCOMPARE(*TrovaNomeRep(2).valore, QString("Forno"));
    }

    void codeMatchesNumberAndText()
    {
        TestEnv env;
        QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale) VALUES (?)", {"9"}));
        QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale) VALUES (?)", {12}));
        QCOMPARE(count("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = ?", {12}), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = ?", {QString("12")}), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = 12"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = '12'"), 1);
        QCOMPARE(count("SELECT MAX(CodMateriale) FROM Magazzino"), 12); // numeric, not "9"
        // Eliminato and Modificato are never Null.
        QCOMPARE(count("SELECT COUNT(*) FROM Magazzino WHERE Eliminato = 0 AND Modificato = 0"), 2);
    }

    void badFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("questo non è un database\r\n").repeated(200);
        QTest::newRow("truncated header") << QByteArray("SQLite format 3\0garbage", 23).repeated(300);
    }
    void badFilesAreRefused()
    {
        QFETCH(QByteArray, content);
        TestEnv env;
        const QString bad = env.path("Dati/Guasto.db");
        writeRaw(bad, content);
        const Esito e = Db::ApriDatabase(bad);
        QVERIFY(!e.ok);
        QCOMPARE(e.numero, int(VbErr::NotADatabase));
        QVERIFY(e.descrizione.startsWith(descrizioneErrore(VbErr::NotADatabase)));
        // The previous connection is closed and removed, not left half-open on the bad file.
        QVERIFY(!Db::isOpen());
        QVERIFY(!QSqlDatabase::contains("dbNegozio"));
        QVERIFY(Db::currentPath().isEmpty());
        QCOMPARE(readAll(bad), content); // untouched
        QVERIFY(!Db::valore(QStringLiteral("SELECT COUNT(*) FROM Reparti")).ok);
        // The good database opens again afterwards.
        QVERIFY(Db::ApriDatabase(Paths::databasePath()));
        QCOMPARE(count("SELECT COUNT(*) FROM Reparti"), 40);
    }

    // A single value read tells a failed query from a missing row and a Null column.
    void singleValue_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("ran");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("value") << "SELECT Descrizione FROM Reparti WHERE Cod = 3" << true << true
                               << QVariant("Reparto3");
        QTest::newRow("null column") << "SELECT NULL FROM Reparti WHERE Cod = 3" << true << true << QVariant();
        QTest::newRow("no row") << "SELECT Descrizione FROM Reparti WHERE Cod = 99" << true << false << QVariant();
        QTest::newRow("failed") << "SELECT Nessuna FROM Reparti" << false << false << QVariant();
    }
    void singleValue()
    {
        QFETCH(QString, sql);
        QFETCH(bool, ran);
        QFETCH(bool, found);
        QFETCH(QVariant, value);
        TestEnv env;
        const Letto<QVariant> v = Db::valore(sql);
        QCOMPARE(v.ok, ran);
        QCOMPARE(v.valore.has_value(), found);
        QCOMPARE(v.errore.isEmpty(), ran);
        if (found) {
            QCOMPARE(v.valore->isNull(), value.isNull());
            QCOMPARE(v.valore->toString(), value.toString());
        }
    }

    void openPaths()
    {
        TestEnv env;
        QCOMPARE(Db::ApriDatabase(env.path("Manca/DbNegozio.db")).numero, int(VbErr::PathNotFound));
        QVERIFY(!QFile::exists(env.path("Manca")));
        QVERIFY(!Db::ApriDatabase(env.path("Dati")).ok); // a folder
        // A path with an apostrophe is just a path.
        QVERIFY(QDir().mkpath(env.path("Dati d'uno")));
        QVERIFY(Db::ApriDatabase(env.path("Dati d'uno/DbNegozio.db")));
        QCOMPARE(count("SELECT COUNT(*) FROM Reparti"), 40);
    }

    void verificaDatabase()
    {
        TestEnv env;
        const QString good = env.path("copia.db");
        QVERIFY(QFile::copy(Paths::databasePath(), good));
        const QString foreign = env.path("altro.db");
        execOnFile(foreign, "CREATE TABLE Altro (x INTEGER)"); // a plain SQLite file with a table of its own
        const QString corrupt = env.path("guasto.db");
        writeRaw(corrupt, QByteArray(4096, 'z'));

        QVERIFY(Db::verificaDatabase(good, kTables).ok);
        QVERIFY(!Db::verificaDatabase(foreign, kTables).ok);
        QVERIFY(Db::verificaDatabase(foreign, {"Altro"}).ok);
        QVERIFY(!Db::verificaDatabase(corrupt, kTables).ok);
        QVERIFY(!Db::verificaDatabase(env.path("manca.db"), kTables).ok);
        QVERIFY(!QFile::exists(env.path("manca.db")));
        // The open connection is untouched, and the side connections are gone.
        QVERIFY(Db::isOpen());
        QCOMPARE(Db::currentPath(), Paths::databasePath());
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList{"dbNegozio"});
        QCOMPARE(readAll(corrupt), QByteArray(4096, 'z'));
    }

    void transactions()
    {
        TestEnv env;
        {
            Db::Transaction t;
            QVERIFY(t.ok());
            QVERIFY(Db::exec("INSERT INTO StoricoPLU (EAN, Qta) VALUES (?, ?)", {"800", 1}));
        } // not committed: rolled back
        QCOMPARE(count("SELECT COUNT(*) FROM StoricoPLU"), 0);
        {
            Db::Transaction t;
            QVERIFY(Db::exec("INSERT INTO StoricoPLU (EAN, Qta) VALUES (?, ?)", {"800", 1}));
            QVERIFY(t.commit());
            QVERIFY(!t.commit());
        }
        QCOMPARE(count("SELECT COUNT(*) FROM StoricoPLU"), 1);
        QString err;
        QVERIFY(!Db::exec("INSERT INTO Manca VALUES (?)", {1}, &err));
        QVERIFY(!err.isEmpty());
    }

    // A transaction inside another is a savepoint: undone, it takes back its own rows only, and
    // the outer commit keeps the rest.
    void savepointAnnullatoDentroUnaTransazione()
    {
        TestEnv env;
        const QString inserisci = QStringLiteral("INSERT INTO StoricoPLU (EAN, Qta) VALUES (?, 1)");
        {
            Db::Transaction esterna;
            QVERIFY(Db::exec(inserisci, {"1"}));
            {
                Db::Transaction interna;
                QVERIFY(interna.ok() && interna.nested());
                QVERIFY(Db::exec(inserisci, {"2"}));
            } // not committed: undone
            QCOMPARE(Db::transactionDepth(), 1);
            QVERIFY(Db::exec(inserisci, {"3"}));
            QVERIFY(esterna.commit());
        }
        QSqlQuery q = Db::query("SELECT EAN FROM StoricoPLU ORDER BY EAN");
        QStringList ean;
        while (q.next())
            ean << q.value(0).toString();
        QCOMPARE(ean, (QStringList{"1", "3"}));

        // A savepoint that cannot be undone leaves its rows in the outer transaction: that one
        // must not commit them.
        {
            Db::Transaction esterna;
            QVERIFY(Db::exec(inserisci, {"4"}));
            Db::Transaction interna;
            QVERIFY(Db::exec(inserisci, {"5"}));
            QVERIFY(Db::exec(QStringLiteral("RELEASE tavrino_sp1")));
            interna.rollback();
            QVERIFY(!esterna.commit());
        }
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM StoricoPLU").toInt(), 2);
        // That failure belongs to that transaction: the next one commits.
        {
            Db::Transaction dopo;
            QVERIFY(Db::exec(inserisci, {"6"}));
            QVERIFY(dopo.commit());
        }
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM StoricoPLU").toInt(), 3);
    }

    // The list reload a timer starts gives up on a held archive at once; a save after it waits
    // the driver's full time again, so an archive held for a moment does not refuse it.
    void salvataggioDopoIlTimerAttendeTutto()
    {
        TestEnv env;
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QTest::qWait(50);
        {
            QSqlDatabase altro = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
            altro.setDatabaseName(Db::currentPath());
            QVERIFY(altro.open());
            QSqlQuery q(altro);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            w.tmrCaricaPLU->start();
            QTRY_COMPARE(w.lblTab->text(), Db::testoInUso()); // the timer's pass met it
            QVERIFY(q.exec(QStringLiteral("COMMIT")));
            q.finish();
            altro.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("altro"));
        QTRY_VERIFY(!w.lblTab->isVisible());

        // Held by another program for 300 ms while the save runs.
        std::atomic<bool> tenuto{false};
        std::thread altroProgramma([&tenuto, percorso = Db::currentPath()] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tenitore"));
                db.setDatabaseName(percorso);
                QSqlQuery q(db);
                const bool preso = db.open() && q.exec(QStringLiteral("BEGIN EXCLUSIVE"));
                tenuto = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                if (preso)
                    q.exec(QStringLiteral("COMMIT"));
                q.finish();
                db.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("tenitore"));
        });
        while (!tenuto)
            std::this_thread::yield();
        QString err;
        const bool salvato = Db::exec("INSERT INTO StoricoPLU (EAN, Qta) VALUES ('1', 1)", {}, &err);
        altroProgramma.join();
        QVERIFY2(salvato, qPrintable(err));
        w.unload();
    }

    void departmentLookups()
    {
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = ?, Iva = ? WHERE Cod = ?", {"Frutta dell'orto", 4, 7}));
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = ? WHERE Cod = ?", {22, 3}));

        QCOMPARE(*TrovaNomeRep(5).valore, QString("Reparto5"));
        QCOMPARE(*TrovaNomeRep(7).valore, QString("Frutta dell'orto"));
        QCOMPARE(*TrovaNomeRep(99).valore, QString("99"));

        QCOMPARE(*TrovaCodiceRep("Frutta dell'orto").valore, QString("7"));
        QCOMPARE(*TrovaCodiceRep("reparto12").valore, QString("12")); // case-insensitive, as Jet was
        QCOMPARE(*TrovaCodiceRep("Nessuno").valore, QString("1"));
        QCOMPARE(*TrovaCodiceRep("x' OR '1'='1").valore, QString("1"));
        QCOMPARE(*TrovaCodiceRep("").valore, QString("1"));

        QCOMPARE(*TrovaCodiceRepXIVA(22).valore, 3);
        QCOMPARE(*TrovaCodiceRepXIVA(4).valore, 7);
        QCOMPARE(*TrovaCodiceRepXIVA(10).valore, 40);

        // No linked table: logged, empty text.
        QCOMPARE(TrovaDescrizioneRep(3), QString());
        QVERIFY(readAll(env.path("Dati/ErrorLog.dat")).contains("*-Funzioni-TrovaDescrizioneRep-]"));
        QVERIFY(Db::exec("CREATE TABLE RepartiEsterno (IDReparto INTEGER, NomeReparto TEXT)"));
        QVERIFY(Db::exec("INSERT INTO RepartiEsterno VALUES (?, ?)", {3, "Salumeria"}));
        QCOMPARE(TrovaDescrizioneRep(3), QString("Salumeria"));
        QCOMPARE(TrovaDescrizioneRep(4), QString("Reparto41"));
    }

    void lookupsWithoutDatabase()
    {
        TestEnv env;
        Db::ChiudiDatabase();
        QVERIFY(!TrovaNomeRep(1).ok); // failed, not a missing department's fallback
        QVERIFY(!TrovaCodiceRep("Reparto1").ok);
        QVERIFY(!TrovaCodiceRepXIVA(0).ok);
        QCOMPARE(TrovaCodiceFornitore("12"), QString()); // shown empty, but not taken for a missing code
        const QByteArray log = readAll(env.path("Dati/ErrorLog.dat"));
        QVERIFY(log.contains("*-Funzioni-TrovaNomeRep-]"));
        QVERIFY(log.contains("*-Funzioni-TrovaCodiceRep-]"));
        QVERIFY(log.contains("*-Funzioni-TrovaCodiceRepXIVA-]"));
        QVERIFY(log.contains("*-Funzioni-TrovaCodiceFornitore-]"));
    }

    void supplierCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expected");
        const Riga<QString, QString> riga;
        riga("empty", "", "");
        riga("found", "12", "F-12'A");
        riga("leading number", "12abc", "F-12'A");
        riga("blanks", " 1 2", "F-12'A");
        riga("fraction finds nothing", "12.7", "");
        riga("missing article", "13", "");
        riga("null column", "14", "");
        riga("not a number", "abc", "");
    }
    void supplierCode()
    {
        QFETCH(QString, code);
        QFETCH(QString, expected);
        TestEnv env;
        QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, CodProdottoFornitore) VALUES (?, ?)", {12, "F-12'A"}));
        QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, CodProdottoFornitore) VALUES (?, ?)",
                         {14, QVariant(QMetaType(QMetaType::QString))}));
        QCOMPARE(TrovaCodiceFornitore(code), expected);
    }

    void filtraTasto_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("passes"); // each character listed must pass
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QList<int>>("passCodes");
        QTest::addColumn<QList<int>>("blockCodes");
        QTest::newRow("1 digits") << 1 << "0123456789"
                                  << "a ,.-@" << QList<int>{8, 13} << QList<int>{27, 32, 9};
        QTest::newRow("2 letters") << 2 << "AZaz09[^_` "
                                   << ".,@-" << QList<int>{8, 32} << QList<int>{13, 27, 0xE8, 0xE0, 123};
        QTest::newRow("3 decimals") << 3 << "0123456789,"
                                    << ".a -" << QList<int>{8, 44} << QList<int>{13, 46};
        QTest::newRow("4 addresses") << 4 << "Az09.@[`"
                                     << ", -" << QList<int>{8, 46, 64} << QList<int>{13, 32, 0xE8, 123};
        QTest::newRow("other mode") << 5 << ""
                                    << "0aZ" << QList<int>{} << QList<int>{8, 13};
        QTest::newRow("mode 0") << 0 << ""
                                << "0aZ" << QList<int>{} << QList<int>{8};
    }
    void filtraTasto()
    {
        QFETCH(int, mode);
        QFETCH(QString, passes);
        QFETCH(QString, blocked);
        QFETCH(QList<int>, passCodes);
        QFETCH(QList<int>, blockCodes);
        for (QChar c : passes)
            passCodes << c.unicode();
        for (QChar c : blocked)
            blockCodes << c.unicode();
        for (int k : passCodes)
            QVERIFY2(FiltraTasto(k, mode) == k, qPrintable(QString::number(k)));
        for (int k : blockCodes)
            QVERIFY2(FiltraTasto(k, mode) == 0, qPrintable(QString::number(k)));
    }

    void soloNumeri()
    {
        for (int k : {8, 13, 27, 1, 31})
            QCOMPARE(SoloNumeri(k), k);
        for (QChar c : QString("1234567890,"))
            QCOMPARE(SoloNumeri(c.unicode()), int(c.unicode()));
        for (QChar c : QString(".- aZ"))
            QCOMPARE(SoloNumeri(c.unicode()), 0);
        QCOMPARE(SoloNumeri(0xE8), 0);
    }

    void keyPressFilterOnLineEdit()
    {
        TestEnv env(false);
        QWidget w;
        auto* lay = new QVBoxLayout(&w);
        auto* numeri = new QLineEdit(&w);
        auto* decimali = new QLineEdit(&w);
        auto* maiuscole = new QLineEdit(&w);
        auto* indirizzo = new QLineEdit(&w);
        for (QLineEdit* e : {numeri, decimali, maiuscole, indirizzo})
            lay->addWidget(e);
        KeyPressFilter::installMode(numeri, 1);
        KeyPressFilter::installMode(decimali, 3);
        // A handler that replaces: lower case becomes upper case, and "x" becomes Enter.
        KeyPressFilter::install(maiuscole, [](int k) {
            if (k == 'x')
                return 13;
            return (k >= 'a' && k <= 'z') ? k - 32 : k;
        });
        KeyPressFilter::installMode(indirizzo, 4);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));

        numeri->setFocus();
        QTest::keyClicks(numeri, "12a,3.4");
        QCOMPARE(numeri->text(), QString("1234"));
        // Backspace passes; Delete and the arrows never reach the filter.
        QTest::keyClick(numeri, Qt::Key_Backspace);
        QCOMPARE(numeri->text(), QString("123"));
        QTest::keyClick(numeri, Qt::Key_Home);
        QTest::keyClick(numeri, Qt::Key_Delete);
        QCOMPARE(numeri->text(), QString("23"));
        // Tab still moves the focus.
        QTest::keyClick(numeri, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), decimali);

        QTest::keyClicks(decimali, "1,5.2");
        QCOMPARE(decimali->text(), QString("1,52"));

        QSignalSpy enter(maiuscole, &QLineEdit::returnPressed);
        QTest::keyClicks(maiuscole, "abC9");
        QCOMPARE(maiuscole->text(), QString("ABC9"));
        QTest::keyClicks(maiuscole, "x");
        QCOMPARE(maiuscole->text(), QString("ABC9"));
        QCOMPARE(enter.count(), 1);

        // Accented letters and characters outside Windows-1252 are dropped.
        // QTest::keyClicks takes ASCII only: the others arrive as plain text key events.
        for (QChar c : QString::fromUtf8("a.b@cèłd")) {
            QKeyEvent press(QEvent::KeyPress, c.unicode() < 128 ? QChar(c.toUpper()).unicode() : 0, Qt::NoModifier,
                            QString(c));
            QApplication::sendEvent(indirizzo, &press);
        }
        QCOMPARE(indirizzo->text(), QString("a.b@cd"));
    }

    void buttonPictures_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("key");
        const Riga<QString, QString> riga;
        riga("plain", "Stampa", "print");
        riga("upper", "STAMPA", "print");
        riga("accelerator", "St&ampa", "print");
        riga("leading accelerator", "&Stampa", "print");
        riga("dots", "Stampa...", "print");
        riga("further words", "Stampa Etichette", "");
        riga("empty", "", "");
        riga("exit", "&Esci", "exit");
        riga("close", "Chiudi", "exit");
        riga("new", "Crea...", "new");
    }
    void buttonPictures()
    {
        QFETCH(QString, caption);
        QFETCH(QString, key);
        QCOMPARE(chiavePulsante(caption), key);
        QWidget form;
        auto* b = new QPushButton(caption, &form);
        AssegnaImmaginiPulsanti(&form);
        QCOMPARE(b->property("chiaveImmagine").toString(), key);
        QCOMPARE(b->icon().isNull(), key.isEmpty());
        if (!key.isEmpty())
            QVERIFY(b->minimumWidth() >= twips(1350));
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
