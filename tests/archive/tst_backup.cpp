// Backup of the data folder and the switch to another database.
#include "archive/ui/DataBackup.h"
#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "support/LimiteFile.h"
#include "support/SenzaCapacita.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

const QString kFallito = QStringLiteral("ATTENZIONE!!! Salvataggio dei DATI NON riuscito");

void scrivi(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeRaw(path, bytes);
}

// Picks `folder` (empty: cancels) at every folder question; the titles asked are recorded.
QStringList* sceglie(const QString& folder)
{
    auto& interazione = dynamic_cast<ScriptedInteraction&>(Contesto::interazione());
    interazione.prompts.clear();
    interazione.paths.clear();
    for (int i = 0; i < 8; ++i)
        interazione.paths.enqueue(folder);
    return &interazione.prompts;
}

// A drive with the given free bytes.
struct DiscoProva final : DataBackup::Disco
{
    qint64 libero = qint64(1) << 40;
    qint64 spazioLibero(const QString&) const override { return libero; }
};

int articoliIn(const QString& dbFile)
{
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "controllo");
        db.setDatabaseName(dbFile);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT COUNT(*) FROM Magazzino") && q.next())
                n = q.value(0).toInt();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase("controllo");
    return n;
}

void articolo(int cod)
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione) VALUES (?, 'X')", {cod}));
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void datedFolderName_data()
    {
        QTest::addColumn<QDateTime>("quando");
        QTest::addColumn<QString>("nome");
        QTest::newRow("single digits") << QDateTime(QDate(2024, 3, 5), QTime(9, 7)) << "PLU_BCK5320240907";
        QTest::newRow("double digits") << QDateTime(QDate(2024, 11, 12), QTime(18, 30)) << "PLU_BCK121120241830";
        QTest::newRow("midnight") << QDateTime(QDate(2025, 1, 31), QTime(0, 0)) << "PLU_BCK31120250000";
    }
    void datedFolderName()
    {
        QFETCH(QDateTime, quando);
        QFETCH(QString, nome);
        QCOMPARE(DataBackup::nomeCartellaDatata(quando), nome);
    }

    void backupCopiesDataFolderAndNeverOverwrites()
    {
        TestEnv env;
        QTemporaryDir target;
        articolo(1);
        articolo(2);
        scrivi(env.path("Dati/Sub/nota.txt"), "ciao");
        QStringList* titles = sceglie(target.path());

        DataBackup::eseguiSalvataggio(nullptr, DiscoProva());
        QCOMPARE(*titles, QStringList{"Seleziona la cartella dove salvare i DATI"});
        QVERIFY(env.messages().isEmpty()); // success says nothing
        QCOMPARE(app().drvBck, target.path());
        const QString primo = target.filePath("PLU_BCK/Dati");
        QCOMPARE(articoliIn(primo + "/DbNegozio.db"), 2);
        QCOMPARE(readAll(primo + "/Sub/nota.txt"), QByteArray("ciao"));
        QVERIFY(Db::isOpen()); // the program goes on with its database
        articolo(3);

        // Later backups go to dated siblings, a suffix when the minute is taken too.
        const QDateTime t(QDate(2024, 3, 5), QTime(9, 7));
        const auto a = DataBackup::salvaDati(target.path(), t);
        const auto b = DataBackup::salvaDati(target.path(), t);
        QVERIFY(a.esito.ok && b.esito.ok);
        QCOMPARE(a.cartella, target.filePath("PLU_BCK5320240907"));
        QCOMPARE(b.cartella, target.filePath("PLU_BCK5320240907_2"));
        QCOMPARE(articoliIn(primo + "/DbNegozio.db"), 2);
        QCOMPARE(articoliIn(b.cartella + "/Dati/DbNegozio.db"), 3);
    }

    void failedBackupSaysSo()
    {
        TestEnv env;
        QTemporaryDir target;
        // A folder under a regular file cannot be written, whoever runs the test.
        scrivi(target.filePath("file"), "x");
        sceglie(target.filePath("file/sotto"));
        DataBackup::eseguiSalvataggio(nullptr, DiscoProva());
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().first().startsWith(kFallito));
        QVERIFY(readAll(env.path("Dati/ErrorLog.dat")).contains("cmdSalva_Click"));

        // PLU_BCK taken by a file: the backup folder cannot be made.
        env.clearMessages();
        scrivi(target.filePath("PLU_BCK"), "x");
        sceglie(target.path());
        DataBackup::eseguiSalvataggio(nullptr, DiscoProva());
        QVERIFY(env.messages().value(0).startsWith(kFallito));

        // A file that cannot be copied fails the whole backup, and no partial copy is left.
        QDir(target.path()).remove("PLU_BCK");
        QVERIFY(QFile::link("/nonexistent/tavrino", env.path("Dati/rotto")));
        const auto r = DataBackup::salvaDati(target.path());
        QVERIFY(!r.esito.ok);
        QVERIFY(!QFileInfo::exists(target.filePath("PLU_BCK")));

        // The data folder itself is no place for its own backup.
        QFile::remove(env.path("Dati/rotto"));
        QVERIFY(!DataBackup::salvaDati(env.path("Dati")).esito.ok);
        QVERIFY(!QFileInfo::exists(env.path("Dati/PLU_BCK")));
    }

    // A failed backup whose copy cannot be removed leaves no folder named as a backup, which a
    // restore could take for a whole one, and the user is told where the incomplete copy is.
    void failedBackupNeverLooksComplete()
    {
        TestEnv env;
        QTemporaryDir target;
        QVERIFY(QFile::link("/nonexistent/tavrino", env.path("Dati/rotto"))); // the copy fails on it
        sceglie(target.path());
        {
            // Folders made now cannot be listed (by root either), so the copy cannot be removed.
            SenzaCapacita senza({CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH});
            const mode_t prima = umask(0444);
            DataBackup::eseguiSalvataggio(nullptr, DiscoProva());
            umask(prima);
        }
        QVERIFY(!QFileInfo::exists(target.filePath("PLU_BCK")));
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().first().startsWith(kFallito));
        QVERIFY(env.messages().first().contains("La copia incompleta è rimasta in " +
                                                target.filePath("PLU_BCK_INCOMPLETO")));
    }

    // A disk that fills up during the copy (a file-size limit between the database's size and a
    // larger file's): the backup fails and nothing is left under a backup's name.
    void fullDiskDuringTheCopy()
    {
        TestEnv env;
        QTemporaryDir target;
        const qint64 db = QFileInfo(Db::currentPath()).size();
        scrivi(env.path("Dati/Immagini/grande.bin"), QByteArray(int(db) + 256 * 1024, 'x'));
        DataBackup::EsitoSalvataggio r;
        {
            LimiteFile limite(rlim_t(db + 128 * 1024));
            QVERIFY(limite.ok());
            r = DataBackup::salvaDati(target.path());
        }
        QVERIFY(!r.esito.ok);
        QVERIFY(r.cartella.isEmpty());
        QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void freeSpaceThreshold()
    {
        TestEnv env;
        QTemporaryDir target;
        sceglie(target.path());
        DiscoProva disco;
        disco.libero = DataBackup::kSpazioMinimo - 1;
        DataBackup::eseguiSalvataggio(nullptr, disco);
        QCOMPARE(env.messages(),
                 QStringList{"Spazio NON sufficiente\n\nLiberare spazio sul disco e ritentare l'operazione"});
        QVERIFY(QDir(target.path()).isEmpty());

        disco.libero = DataBackup::kSpazioMinimo;
        QVERIFY(DataBackup::salvaDati(target.path(), QDateTime::currentDateTime(), disco).esito.ok);
    }

    // Copies earlier backups left unfinished go before the next backup copies, and the room they
    // free counts; links in them (or in their place) are removed, never what they point to. Only
    // the program's own names go.
    void unfinishedCopiesAreRemovedFirst()
    {
        TestEnv env;
        QTemporaryDir target;
        QTemporaryDir fuori;
        scrivi(fuori.filePath("tienimi.txt"), "resta");
        scrivi(fuori.filePath("cartella/dentro.txt"), "resta");
        QDir t(target.path());
        scrivi(t.filePath("PLU_BCK_INCOMPLETO/Dati/DbNegozio.db"), QByteArray(64 * 1024, 'x'));
        scrivi(t.filePath("PLU_BCK_INCOMPLETO/Dati/Sub/nota.txt"), "mezza");
        QVERIFY(QFile::link(fuori.filePath("tienimi.txt"), t.filePath("PLU_BCK_INCOMPLETO/Dati/file")));
        QVERIFY(QFile::link(fuori.filePath("cartella"), t.filePath("PLU_BCK_INCOMPLETO/Dati/cartella")));
        scrivi(t.filePath("PLU_BCK_INCOMPLETO_3/Dati/x.txt"), "x");
        QVERIFY(QFile::link(fuori.filePath("cartella"), t.filePath("PLU_BCK_INCOMPLETO_4")));
        scrivi(t.filePath("PLU_BCK_INCOMPLETO vecchio/mia.txt"), "dell'utente");
        sceglie(target.path());
        DiscoProva disco;
        disco.libero = DataBackup::kSpazioMinimo - 4096; // enough only with the leftovers' room
        DataBackup::eseguiSalvataggio(nullptr, disco);

        QVERIFY(env.messages().isEmpty());
        QCOMPARE(t.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 (QStringList{"PLU_BCK", "PLU_BCK_INCOMPLETO vecchio"}));
        QVERIFY(QFileInfo(t.filePath("PLU_BCK/Dati/DbNegozio.db")).isFile());
        QCOMPARE(readAll(fuori.filePath("tienimi.txt")), QByteArray("resta"));
        QCOMPARE(readAll(fuori.filePath("cartella/dentro.txt")), QByteArray("resta"));

        // Not enough room even with them: refused as before.
        scrivi(t.filePath("PLU_BCK_INCOMPLETO/Dati/DbNegozio.db"), QByteArray(64 * 1024, 'x'));
        disco.libero = DataBackup::kSpazioMinimo - 1024 * 1024;
        const auto r = DataBackup::salvaDati(target.path(), QDateTime::currentDateTime(), disco);
        QVERIFY(r.spazioInsufficiente);
        QVERIFY(!QFileInfo::exists(t.filePath("PLU_BCK_INCOMPLETO")));
        QCOMPARE(t.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    }

    // "Cambia Dati" never takes an unfinished copy, though its database opens.
    void restoreRefusesAnUnfinishedCopy()
    {
        TestEnv env;
        QTemporaryDir target;
        articolo(1);
        QVERIFY(DataBackup::salvaDati(target.path()).esito.ok);
        QVERIFY(QDir(target.path()).rename("PLU_BCK", "PLU_BCK_INCOMPLETO_2"));
        const QString proprio = Db::currentPath();
        sceglie(target.filePath("PLU_BCK_INCOMPLETO_2/Dati"));
        env.answer({QMessageBox::Yes});
        QVERIFY(!DataBackup::scegliECambiaDatabase(nullptr));
        QVERIFY(env.messages().last().startsWith("Percorso non Valido"));
        QCOMPARE(Db::currentPath(), proprio);
    }

    void cancelledChoice()
    {
        TestEnv env;
        sceglie(QString());
        DataBackup::eseguiSalvataggio(nullptr, DiscoProva());
        env.answer({QMessageBox::Yes});
        QVERIFY(!DataBackup::scegliECambiaDatabase(nullptr));
        QCOMPARE(env.messages().count("Nessuna cartella selezionata!!!"), 2);
        QVERIFY(app().drvBck.isEmpty());
    }

    void restoreSwitchesOnlyToAGoodDatabase()
    {
        TestEnv env;
        QTemporaryDir target;
        articolo(1);
        QVERIFY(DataBackup::salvaDati(target.path()).esito.ok);
        articolo(2);
        const QString proprio = Db::currentPath();

        // No (the default) does nothing, not even the folder question.
        QStringList* titles = sceglie(target.filePath("PLU_BCK/Dati"));
        env.answer({QMessageBox::No});
        QVERIFY(!DataBackup::scegliECambiaDatabase(nullptr));
        QVERIFY(titles->isEmpty());

        // The backup folder itself holds no database.
        sceglie(target.filePath("PLU_BCK"));
        env.answer({QMessageBox::Yes});
        QVERIFY(!DataBackup::scegliECambiaDatabase(nullptr));
        QCOMPARE(env.messages().last(), QString("Percorso non Valido"));
        QCOMPARE(Db::currentPath(), proprio);

        // Its Dati folder does; the name is found in any letter case.
        QVERIFY(
            QFile::rename(target.filePath("PLU_BCK/Dati/DbNegozio.db"), target.filePath("PLU_BCK/Dati/dbnegozio.DB")));
        titles = sceglie(target.filePath("PLU_BCK/Dati"));
        env.answer({QMessageBox::Yes});
        QVERIFY(DataBackup::scegliECambiaDatabase(nullptr));
        QCOMPARE(*titles, QStringList{"Seleziona la cartella da dove caricare i DATI"});
        QCOMPARE(Db::currentPath(), target.filePath("PLU_BCK/Dati/dbnegozio.DB"));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 1);
        QCOMPARE(articoliIn(proprio), 2); // the own data folder is untouched

        // A backup taken now still copies the program's own data folder.
        QTemporaryDir altro;
        QVERIFY(DataBackup::salvaDati(altro.path()).esito.ok);
        QCOMPARE(articoliIn(altro.filePath("PLU_BCK/Dati/DbNegozio.db")), 2);
    }

    // A file that looks like an archive but does not open, while the archive in use cannot be
    // opened again either: the user is told the program has no archive, not that it goes on.
    void restoreWithoutWayBackSaysSo()
    {
        TestEnv env;
        QTemporaryDir other;
        const QString file = other.filePath("DbNegozio.db");
        execOnFile(file, "CREATE TABLE Magazzino (CodMateriale INTEGER)");
        execOnFile(file, "CREATE TABLE Reparti (Cod INTEGER)"); // no schema version: its upgrade fails
        const QString proprio = Db::currentPath();
        QVERIFY(QFile::remove(proprio));
        scrivi(proprio, QByteArray("non un archivio"));

        sceglie(other.path());
        env.answer({QMessageBox::Yes});
        QVERIFY(!DataBackup::scegliECambiaDatabase(nullptr));
        QVERIFY(env.messages().last().contains("Non è stato possibile riaprire l'archivio attuale"));
        QVERIFY(!Db::isOpen());
        const QByteArray log = readAll(env.path("Dati/ErrorLog.dat"));
        QCOMPARE(log.count("*-Magazzino-cmdCambiaDb_Click-]"), 2);
    }

    void restoreRefusesForeignAndCorruptFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("foreign") << "foreign";
        QTest::newRow("corrupt") << "corrupt";
        QTest::newRow("empty") << "empty";
    }
    void restoreRefusesForeignAndCorruptFiles()
    {
        QFETCH(QString, kind);
        TestEnv env;
        QTemporaryDir other;
        const QString file = other.filePath("DbNegozio.db");
        if (kind == "foreign") {
            execOnFile(file, "CREATE TABLE Clienti (Nome TEXT)");
        } else if (kind == "corrupt") {
            scrivi(file, QByteArray("SQLite format 3") + QByteArray(4096, '\x7f'));
        } else {
            scrivi(file, QByteArray());
        }
        const QByteArray before = readAll(file);
        articolo(1);
        const QString proprio = Db::currentPath();

        sceglie(other.path());
        env.answer({QMessageBox::Yes});
        QVERIFY(!DataBackup::scegliECambiaDatabase(nullptr));
        QVERIFY(env.messages().last().startsWith("ATTENZIONE!!! Il file selezionato non è un archivio dei PLU valido"));
        QCOMPARE(Db::currentPath(), proprio);
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 1);
        QCOMPARE(readAll(file), before); // nothing was written into the picked file
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
