// Refusals that say why, in Italian: the archive held by another program (the editor, the
// exports, the send's marks, the start-up) and a full disk (exports, backups, the start-up, the
// error log's lines).
#include "archive/ui/DataBackup.h"
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/TextFile.h"
#include "core/ui/Startup.h"
#include "editing/ui/AggiungiMateriale.h"
#include "labels/ExportExcel.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTimer>
#include <QtTest>
#include <sys/mount.h>

namespace {

// Another program holds the archive for as long as this lives (an exclusive transaction on a
// second connection); the program's own connection gives up after 200 ms instead of its seconds.
class ArchivioTenuto
{
public:
    ArchivioTenuto() : ArchivioTenuto(Db::currentPath()) {}
    explicit ArchivioTenuto(const QString& file)
    {
        if (Db::isOpen())
            QVERIFY(Db::exec(QStringLiteral("PRAGMA busy_timeout = 200")));
        QSqlDatabase altro = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kNome);
        altro.setDatabaseName(file);
        QVERIFY(altro.open());
        QSqlQuery q(altro);
        QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    }
    ~ArchivioTenuto()
    {
        {
            QSqlDatabase altro = QSqlDatabase::database(kNome);
            QSqlQuery q(altro);
            if (!q.exec(QStringLiteral("ROLLBACK")))
                qWarning("archive still held");
            altro.close();
        }
        QSqlDatabase::removeDatabase(kNome);
    }
    ArchivioTenuto(const ArchivioTenuto&) = delete;
    ArchivioTenuto& operator=(const ArchivioTenuto&) = delete;

private:
    static inline const QString kNome = QStringLiteral("altro programma");
};

// A small file system of its own (a tmpfs, which needs the right to mount: without it the test
// is skipped), and a file that fills it up to the last byte.
class DiscoPiccolo
{
public:
    DiscoPiccolo()
    {
        m_ok = m_dir.isValid() && ::mount("tavrino-prova", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                                          MS_NOSUID | MS_NODEV, "size=2m") == 0;
    }
    ~DiscoPiccolo()
    {
        if (m_ok)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool ok() const { return m_ok; }
    QString path(const QString& nome = {}) const { return nome.isEmpty() ? m_dir.path() : m_dir.filePath(nome); }
    // Writes until the disk refuses a byte more.
    void riempi() const
    {
        QFile f(path(QStringLiteral("riempimento")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
        const QByteArray blocco(4096, 'x');
        while (f.write(blocco) == blocco.size()) {
        }
        while (f.write("x", 1) == 1) {
        }
    }
    void libera() const { QFile::remove(path(QStringLiteral("riempimento"))); }
    DiscoPiccolo(const DiscoPiccolo&) = delete;
    DiscoPiccolo& operator=(const DiscoPiccolo&) = delete;

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

#define DISCO_PICCOLO(nome)                                                                                            \
    DiscoPiccolo nome;                                                                                                 \
    if (!nome.ok())                                                                                                    \
    QSKIP("no right to mount a small file system here")

// Runs `f` on the editor once it is shown modally (its load waits first).
void nelEditor(std::function<void(AggiungiMateriale&)> f)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, f] {
        AggiungiMateriale* w = Forms::instance<AggiungiMateriale>();
        if (!w || !w->isVisible() || w->windowModality() != Qt::ApplicationModal)
            return;
        poll->stop();
        poll->deleteLater();
        QTimer::singleShot(8000, w, [w] { w->unload(); });
        f(*w);
    });
    poll->start();
}

void articolo(int cod, const QString& barCode, int modificato = 1)
{
    QVERIFY(
        Db::exec("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\", Costo, Genere, Modificato) "
                 "VALUES (?, ?, ?, 10, 1.5, '4', ?)",
                 {cod, barCode, QString("ART %1").arg(cod), modificato}));
}

int segnati()
{
    return valoreDb("SELECT COUNT(*) FROM Magazzino WHERE Modificato <> 0").toInt();
}

QStringList righeLog(const TestEnv& env)
{
    return TextFile::decode(readAll(env.path("Dati/ErrorLog.dat"))).split("\r\n", Qt::SkipEmptyParts);
}

const QString kNonRiuscito = QStringLiteral("ATTENZIONE!!! Salvataggio dei DATI NON riuscito");
const QString kDiscoPieno = QStringLiteral("Disco pieno: liberare spazio e riprovare");

} // namespace

class TestMotivi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "Conferma" while another program holds the archive says so; data that fail the checks still
    // get the usual request.
    void editorUnderALock()
    {
        TestEnv env;
        ArchivioProva archivio;
        QStringList visti;
        nelEditor([&](AggiungiMateriale& ed) {
            ed.TxtDesc->setText("PANE");
            ed.LbLBarCode->setText("8001");
            ed.CboGenere->setCurrentIndex(1);
            ed.CboFornitore->setEditText("BIANCHI");
            ed.txtAcquisto->setText("5");
            ed.TxtCosto->setText("11");
            {
                ArchivioTenuto tenuto;
                QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            }
            visti = env.messages();
            env.clearMessages();
            ed.TxtQTA->clear();
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            visti << env.messages();
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        Aggiungi_Click(archivio);
        QCOMPARE(visti, (QStringList{Db::testoInUso(), "Prego verificare tutti i dati e riprovare"}));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 0);
    }

    // Both exports under a lock: the refusal and its reason in the same box.
    void exportsUnderALock()
    {
        TestEnv env;
        articolo(1, "8001");
        ScriptedInteraction& ia = env.interazione();
        NoProgress p;
        ia.paths << env.path("venduto.xlsx") << env.path("magazzino.xlsx");
        {
            ArchivioTenuto tenuto;
            QVERIFY(!ExportExcel::EsportaVendutoExcel(ia, QDate::currentDate(), QDate::currentDate(), p));
            QVERIFY(!ExportExcel::EsportaMagazzinoExcel(ia, false, p));
        }
        // The first is a timed notice, the second a message box.
        QCOMPARE(env.messages(), (QStringList{"Esportazione NON Effettuata!!!\r\n\r\n" + Db::testoInUso(),
                                              "Esportazione NON Effettuata!!!\n\n" + Db::testoInUso()}));
        QVERIFY(!QFile::exists(env.path("venduto.xlsx")) && !QFile::exists(env.path("magazzino.xlsx")));
    }

    // The changed articles reach the register, but another program holds the archive when their
    // marks should go: the end of the send says so, and that they will go out again.
    void sendWhoseMarksStayUnderALock()
    {
        TestEnv env;
        LineaProva linea(0.1);
        cartellaOutProva(env);
        articolo(1, "8001");
        articolo(2, "8002");
        auto reg = FakeRegister::serial(env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        std::unique_ptr<ArchivioTenuto> tenuto;
        env.interazione().answerWith = [&tenuto](const QString& testo, Interaction::Buttons) {
            if (testo != "DEVI INVIARE SU ALTRA POSTAZIONE ?")
                return Interaction::Ok;
            tenuto = std::make_unique<ArchivioTenuto>(); // taken while the question is up
            return Interaction::No;
        };
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.ckModificati->isChecked());
        w.cmdInviaPLU->click();
        tenuto.reset();

        QCOMPARE(reg->commandsStartingWith("A/").size(), 2);
        QCOMPARE(env.messages().last(),
                 "PROCEDURA DI INVIO TERMINATA\r\n\r\n" + Db::testoInUso() +
                     "\r\n\r\nI segni di PLU modificato non sono stati tolti: gli articoli inviati restano segnati e "
                     "saranno inviati di nuovo con i PLU modificati");
        QCOMPARE(segnati(), 2);
        env.interazione().answerWith = nullptr;
        w.unload();
    }

    // Exports and backups on a full disk say "Disco pieno", never a permission or the library's
    // English; the library's words stay in the log.
    void fullDiskExportAndBackup()
    {
        DISCO_PICCOLO(disco);
        TestEnv env;
        for (int i = 1; i <= 300; ++i)
            articolo(i, QString::number(8000000 + i));
        QVERIFY(Db::exec("UPDATE Magazzino SET Descrizione = Descrizione || hex(randomblob(40))"));
        disco.riempi();
        ScriptedInteraction& ia = env.interazione();
        NoProgress p;
        ia.paths << disco.path("magazzino.xlsx");
        QVERIFY(!ExportExcel::EsportaMagazzinoExcel(ia, false, p));
        QCOMPARE(env.messages(), QStringList{"Esportazione NON Effettuata!!!\n\n" + kDiscoPieno});

        env.clearMessages();
        ia.paths.clear();
        ia.paths << disco.path();
        struct : DataBackup::Disco
        {
            qint64 spazioLibero(const QString&) const override { return qint64(1) << 40; }
        } spazioche; // a drive that says it has room, and has none
        DataBackup::eseguiSalvataggio(nullptr, spazioche);
        QCOMPARE(env.messages(), QStringList{kNonRiuscito + "\n\n" + kDiscoPieno});
        QVERIFY(!QFileInfo::exists(disco.path("PLU_BCK")));
        disco.libera();
        const QStringList log = righeLog(env);
        QCOMPARE(log.size(), 2);
        QVERIFY(log.at(1).contains("Des.:Disco pieno: "));
        QVERIFY(log.at(1).contains("Err.N.:61"));
    }

    // Start-up while another program holds the archive: the box says so, with '/' in its paths.
    void startupUnderALock()
    {
        TestEnv env(false);
        QVERIFY(QDir().mkpath(env.path("Dati")));
        execOnFile(env.path("Dati/DbNegozio.db"), "CREATE TABLE x (a)");
        env.answer({QMessageBox::Ok, QMessageBox::Abort});
        {
            ArchivioTenuto tenuto(env.path("Dati/DbNegozio.db"));
            QVERIFY(!Startup::Main());
        }
        Startup::rilasciaIstanza();
        const QStringList m = env.messages();
        QCOMPARE(m.size(), 2);
        QVERIFY2(m.at(0).contains("è in uso da un altro programma"), qPrintable(m.at(0)));
        QVERIFY2(!m.at(0).contains('\\'), qPrintable(m.at(0)));
        QCOMPARE(m.at(1), QString("Errore in fase di inizializzazione."));
        QVERIFY(!QFile::exists(env.path("tavrino.lock")));
    }

    // Start-up on a full disk says the disk is full, not that the folder cannot be written nor that
    // the program is in use (the lock left by a program that ended cannot be taken over without
    // room), and Retry goes on once there is room.
    void startupOnAFullDisk_data()
    {
        QTest::addColumn<bool>("bloccoRimasto");
        QTest::newRow("no lock") << false;
        QTest::newRow("the lock of a program that ended") << true;
    }
    void startupOnAFullDisk()
    {
        QFETCH(bool, bloccoRimasto);
        DISCO_PICCOLO(disco);
        QVERIFY(QDir().mkpath(disco.path("home/Dati")) && QDir().mkpath(disco.path("config")));
        if (bloccoRimasto) {
            QProcess finito;
            finito.start("true", QStringList());
            QVERIFY(finito.waitForStarted());
            const qint64 pid = finito.processId();
            QVERIFY(finito.waitForFinished());
            writeRaw(disco.path("home/tavrino.lock"),
                     QString("%1\ntavrino\n%2\n").arg(pid).arg(QSysInfo::machineHostName()).toUtf8());
        }
        disco.riempi();
        TestEnv env(TestEnv::Cartelle{disco.path("home"), disco.path("config")}, false);
        QStringList visti;
        env.interazione().answerWith = [&](const QString& testo, Interaction::Buttons) {
            visti << testo;
            if (testo != "Errore in fase di inizializzazione.")
                return Interaction::Ok;
            disco.libera();
            return Interaction::Retry;
        };
        QVERIFY(Startup::Main());
        Startup::rilasciaIstanza();
        QVERIFY(!visti.isEmpty());
        QVERIFY2(visti.at(0).startsWith("Disco pieno"), qPrintable(visti.at(0)));
        QVERIFY(!visti.join('|').contains("Autorizzazione negata"));
        QVERIFY(Db::isOpen());
        env.interazione().answerWith = nullptr;
    }

    // The error log's lines: a database failure passed on is named once, and a write the full disk
    // refused leaves its own line only, not a rollback's that had nothing to undo.
    void logLinesOnAFullDisk()
    {
        DISCO_PICCOLO(disco);
        QVERIFY(QDir().mkpath(disco.path("home/Dati")) && QDir().mkpath(disco.path("config")));
        TestEnv env(TestEnv::Cartelle{disco.path("home"), disco.path("config")});
        const Esito interno = Esito::fallito(VbErr::DatabaseError, "no such table: Prova");
        ScriviErrore("Prova", "Passato", VbErr::DatabaseError, interno.descrizione);
        QCOMPARE(righeLog(env).size(), 1);
        QVERIFY2(righeLog(env).at(0).count("Errore del database") == 1, qPrintable(righeLog(env).at(0)));

        disco.riempi();
        Esito scritto;
        {
            Db::Transaction tr;
            QVERIFY(tr.ok());
            QSqlQuery q = Db::query("INSERT INTO Magazzino (CodMateriale, Descrizione) VALUES (1, ?)",
                                    {QString(600 * 1024, 'x')});
            scritto = q.isActive() ? Esito::riuscito() : Db::esitoDi(q.lastError());
            if (scritto && !tr.commit())
                scritto = Esito::fallito(VbErr::DatabaseError, tr.errore());
        }
        QVERIFY(!scritto);
        QCOMPARE(scritto.numero, int(VbErr::DiskFull));
        QVERIFY(scritto.descrizione.startsWith("Disco pieno: "));
        ScriviErrore("Prova", "Scrittura", scritto);
        disco.libera();
        QVERIFY(ScriviErroriInAttesa());
        const QStringList log = righeLog(env);
        QCOMPARE(log.size(), 2);
        QVERIFY(log.at(1).contains("Des.:Disco pieno: ") && log.at(1).contains("Err.N.:61"));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 0);
    }
};

QTEST_MAIN(TestMotivi)
#include "tst_motivi.moc"
