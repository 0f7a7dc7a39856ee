// The IN-folder poll on a temporary IN folder: A and B files in name order, the history copy and
// the delete, the names that hold the poll back, the failures that keep a file in IN without
// applying it twice (also after a restart), files whose writer is not done (held open, or back
// while the file was applied), lines of any length and empty files, files that can never be
// applied (unreadable, not text, rows the database refuses: moved to IN/Scartati while the files
// after them go on), UTF-8 files, "M" lines over every article of their code, and the article
// window's tick (skipped under a modal window, its notices on the status line), and the window's
// timers while another program holds the database.
#include "archive/ui/Magazzino.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "import/Cedi.h"
#include "import/InPoll.h"
#include "import/ReadLease.h"
#include "import/RigheCentrale.h"
#include "import/ui/InPollTimer.h"
#include "support/LimiteFile.h"
#include "support/ScriptedInteraction.h"
#include "support/SenzaCapacita.h"
#include "support/TestEnv.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A folder that refuses to let files go.
class PollSenzaElimina : public PollCartellaIN
{
public:
    using PollCartellaIN::PollCartellaIN;
    int tentativi = 0;

protected:
    bool eliminaFile(const QString&) override
    {
        ++tentativi;
        return false;
    }
};

// Whether the kernel is breaking a lease on the file (a writer waits to open it).
bool leaseInRottura(const QString& percorso)
{
    struct stat s = {};
    QFile f(QStringLiteral("/proc/locks"));
    if (::stat(QFile::encodeName(percorso).constData(), &s) != 0 || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray inode = ':' + QByteArray::number(quint64(s.st_ino)) + ' ';
    for (const QByteArray& riga : f.readAll().split('\n'))
        if (riga.contains("BREAKING") && riga.contains(inode))
            return true;
    return false;
}

int articoli()
{
    return valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt();
}

QStringList errori(const TestEnv& env)
{
    QStringList l;
    const QString log = env.path(QStringLiteral("Dati/ErrorLog.dat"));
    if (QFile::exists(log) && !TextFile::readLines(log, l))
        qFatal("ErrorLog.dat non leggibile");
    return l;
}

struct Cartelle
{
    TestEnv env{true, 0};
    QString in;
    QString storico;
    Cartelle()
    {
        in = env.path(QStringLiteral("Scambio/IN"));
        QDir().mkpath(in);
        storico = env.path(QStringLiteral("InterScambioINStorico"));
        QVERIFY(ScriviINI(env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), in));
    }
    QString file(const QString& nome) const { return QDir(in).filePath(nome); }
    void metti(const QString& nome, const QStringList& righe) const
    {
        QVERIFY(TextFile::writeLines(file(nome), righe));
    }
    QStringList inIN() const { return QDir(in).entryList(QDir::Files, QDir::Name); }
    QStringList inStorico() const { return QDir(storico).entryList(QDir::Files, QDir::Name); }
};

// The poll as the program runs it over the test's IN folder: `passo()` is one pass and gives the
// count of files imported.
template <class Poll = PollCartellaIN> struct Giro
{
    Cedi::Importatore imp;
    Poll poll{imp};
    PollCartellaIN::Risultato risultato()
    {
        NoProgress p;
        return poll.ImportaDaCartellaIN(p);
    }
    int passo() { return risultato().importati; }
    // Passes a little apart until IN holds no A or B file (or `volte` passes): what they imported.
    int finoAVuoto(const Cartelle& c, int volte = 200)
    {
        int n = 0;
        for (int i = 0; i < volte; ++i) {
            n += passo();
            const QStringList resto = c.inIN().filter(QRegularExpression(QStringLiteral("^[ABab]")));
            if (resto.isEmpty())
                break;
            QTest::qWait(20);
        }
        return n;
    }
};

// `n` new articles with codes da, da+1, ...
QStringList nuovi(int da, int n)
{
    QStringList l;
    for (int i = da; i < da + n; ++i)
        l << Righe::articolo(QStringLiteral("N"), QString::number(i), QStringLiteral("Art %1").arg(i));
    return l;
}

QStringList fileA(const QString& codice, const QString& descr)
{
    return {Righe::articolo(QStringLiteral("N"), codice, descr)};
}

QByteArray crlf(const QStringList& righe)
{
    QByteArray b;
    for (const QString& r : righe)
        b += TextFile::encode(r) + "\r\n";
    return b;
}

QVariant val(const QString& sql)
{
    return valoreDb(sql);
}

// An A line as the issue saw it: ten new articles and one change of code 900.
QStringList consegna()
{
    QStringList l;
    for (int i = 1; i <= 10; ++i)
        l << Righe::articolo(QStringLiteral("N"), QString::number(i), QStringLiteral("Nuovo %1").arg(i));
    l << Righe::articolo(QStringLiteral("M"), QStringLiteral("900"), QStringLiteral("Cambiato"), 9, 12500);
    return l;
}

} // namespace

class TestInPoll : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileAeBInOrdine()
    {
        Cartelle c;
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("123"), QStringLiteral("8001"))});
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("123"), QStringLiteral("Penne")));
        c.metti(QStringLiteral("a7.txt"), fileA(QStringLiteral("7"), QStringLiteral("Minuscolo")));
        Giro<> giro;
        const PollCartellaIN::Risultato r = giro.risultato();
        QCOMPARE(r.importati, 3);
        QVERIFY(r.variazioni);
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(c.inStorico(), (QStringList{"A1.txt", "B1.txt", "a7.txt"}));
        // A1 and a7 before B1: the barcode reached the article of A1.
        QCOMPARE(valoreDb(QStringLiteral("SELECT BarCode FROM Magazzino WHERE CodArtCEDI = '123'")).toString(),
                 QStringLiteral("8001"));
        QCOMPARE(articoli(), 2);
        QCOMPARE(readAll(QDir(c.storico).filePath(QStringLiteral("B1.txt"))),
                 TextFile::encode(Righe::variazione(QStringLiteral("123"), QStringLiteral("8001"))) + "\r\n");
        // Nothing left: the next pass does nothing.
        QCOMPARE(giro.passo(), 0);
    }

    void nomiCheFermanoIlPoll()
    {
        Cartelle c;
        c.metti(QStringLiteral("0.txt"), {QStringLiteral("nota")});
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        c.metti(QStringLiteral("Note.txt"), {QStringLiteral("nota")});
        c.metti(QStringLiteral("B1.csv"), {QStringLiteral("non txt")});
        Giro<> giro;
        // "0.txt" comes first and holds every A and B file back, at every pass.
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(articoli(), 0);
        QVERIFY(QFile::remove(c.file(QStringLiteral("0.txt"))));
        // A1 goes; Note.txt stays and ends the pass; other extensions are not listed.
        QCOMPARE(giro.passo(), 1);
        QCOMPARE(c.inIN(), (QStringList{"B1.csv", "Note.txt"}));
        QCOMPARE(articoli(), 1);
    }

    void cartelleMancantiONonImpostate()
    {
        Cartelle c;
        Giro<> giro;
        QVERIFY(ScriviINI(c.env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), QStringLiteral("?")));
        QCOMPARE(giro.passo(), 0);
        QVERIFY(ScriviINI(c.env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"),
                          c.env.path(QStringLiteral("no"))));
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(errori(c.env), QStringList());
    }

    // The history folder is made when missing; a file of the same name there is replaced.
    void storicoCreatoESostituito()
    {
        Cartelle c;
        QVERIFY(!QDir(c.storico).exists());
        Giro<> giro;
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Prima")));
        QCOMPARE(giro.passo(), 1);
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("2"), QStringLiteral("Seconda")));
        QCOMPARE(giro.passo(), 1);
        QCOMPARE(c.inStorico(), QStringList{QStringLiteral("A1.txt")});
        QVERIFY(readAll(QDir(c.storico).filePath(QStringLiteral("A1.txt"))).contains("Seconda"));
        QCOMPARE(articoli(), 2);
    }

    // A refused delete: the file stays in IN, is not applied again, is logged once; the files
    // after it still go.
    void eliminaRifiutata()
    {
        Cartelle c;
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        c.metti(QStringLiteral("A2.txt"), fileA(QStringLiteral("2"), QStringLiteral("Due")));
        Giro<PollSenzaElimina> giro;
        QCOMPARE(giro.passo(), 2);
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(articoli(), 2);
        QCOMPARE(c.inIN(), (QStringList{"A1.txt", "A2.txt"}));
        QCOMPARE(c.inStorico(), (QStringList{"A1.txt", "A2.txt"}));
        QCOMPARE(giro.poll.tentativi, 6);
        const QStringList log = errori(c.env);
        QCOMPARE(log.size(), 2);
        QVERIFY(log.at(0).contains(QStringLiteral("ImportaDaCartellaIN")));

        // A new delivery under the same name is a new file.
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("3"), QStringLiteral("Tre")) +
                                              fileA(QStringLiteral("4"), QStringLiteral("Quattro")));
        QCOMPARE(giro.passo(), 1);
        QCOMPARE(articoli(), 4);
    }

    void eliminaRifiutataDallaCartella()
    {
        if (geteuid() == 0)
            QSKIP("root may delete from a read-only folder: the refusal is covered by eliminaRifiutata");
        Cartelle c;
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        QVERIFY(QFile::setPermissions(c.in, QFile::ReadOwner | QFile::ExeOwner));
        Giro<> giro;
        QCOMPARE(giro.passo(), 1);
        QCOMPARE(giro.passo(), 0);
        QVERIFY(QFile::setPermissions(c.in, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(articoli(), 1);
        QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
    }

    // The history cannot be written: the pass ends, the file stays in IN and is not applied
    // again; once the history is writable it is moved without a second import.
    void copiaFallita()
    {
        Cartelle c;
        writeRaw(c.storico, "un file, non una cartella");
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        c.metti(QStringLiteral("A2.txt"), fileA(QStringLiteral("2"), QStringLiteral("Due")));
        Giro<> giro;
        QCOMPARE(giro.passo(), 1);
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(articoli(), 1);
        QCOMPARE(c.inIN(), (QStringList{"A1.txt", "A2.txt"}));
        QCOMPARE(errori(c.env).size(), 1);
        QVERIFY(QFile::remove(c.storico));
        QCOMPARE(giro.passo(), 1); // A2 only
        QCOMPARE(articoli(), 2);
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(c.inStorico(), (QStringList{"A1.txt", "A2.txt"}));
    }

    // The disk fills up while the history copy is written: the copy fails whole, the file stays
    // in IN and is not applied again; with room again it is moved, whole.
    void copiaSuDiscoPieno()
    {
        Cartelle c;
        Giro<> giro;
        QCOMPARE(giro.passo(), 0);
        const qint64 db = QFileInfo(Db::currentPath()).size();
        QStringList righe = fileA(QStringLiteral("1"), QStringLiteral("Uno"));
        for (qint64 n = 0; n < db + 128 * 1024; ++n) // blank lines: bytes for the copy, no rows
            righe << QString();
        c.metti(QStringLiteral("A1.txt"), righe);
        {
            LimiteFile limite(rlim_t(db + 128 * 1024));
            QVERIFY(limite.ok());
            QCOMPARE(giro.passo(), 1);
        }
        QCOMPARE(articoli(), 1);
        QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
        QCOMPARE(c.inStorico(), QStringList());
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(readAll(QDir(c.storico).filePath(QStringLiteral("A1.txt"))), crlf(righe));
    }

    // Rows the database refuses (a trigger here) are no passing trouble: the file goes to
    // IN/Scartati at once with the reason, nothing of it stays in the archive, and the files after
    // it are applied in the same pass, the B file after the A file.
    void righeRifiutate()
    {
        Cartelle c;
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON Magazzino WHEN NEW.Descrizione = 'BOOM' "
                                        "BEGIN SELECT RAISE(ABORT, 'boom'); END")));
        c.metti(QStringLiteral("A1.txt"),
                fileA(QStringLiteral("1"), QStringLiteral("Uno")) + fileA(QStringLiteral("2"), QStringLiteral("BOOM")));
        c.metti(QStringLiteral("A2.txt"), fileA(QStringLiteral("3"), QStringLiteral("Tre")));
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("3"), QStringLiteral("8003"))});
        Giro<> giro;
        const PollCartellaIN::Risultato r = giro.risultato();
        QCOMPARE(r.importati, 2);
        QCOMPARE(articoli(), 1);
        QCOMPARE(val(QStringLiteral("SELECT BarCode FROM Magazzino WHERE CodArtCEDI = '3'")).toString(),
                 QStringLiteral("8003"));
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(c.inStorico(), (QStringList{"A2.txt", "B1.txt"}));
        QCOMPARE(QDir(PollCartellaIN::cartellaScartati(c.in)).entryList(QDir::Files), QStringList{"A1.txt"});
        QCOMPARE(r.avvisi.size(), 1);
        QVERIFY2(r.avvisi.at(0).contains(QStringLiteral("A1.txt")) && r.avvisi.at(0).contains(QStringLiteral("boom")),
                 qPrintable(r.avvisi.at(0)));
        const QStringList log = errori(c.env);
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.at(0).contains(QStringLiteral("A1.txt: non importato, spostato in ")) &&
                     log.at(0).contains(QStringLiteral("Valori non ammessi dal database: boom")),
                 qPrintable(log.at(0)));
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM FileINApplicati WHERE Nome = 'A1.txt'")).toInt(), 0);
    }

    // A file the program may not read goes to IN/Scartati at once with the system's reason; the
    // files after it go on in the same pass. (Root reads any file: the test takes its power to
    // override permissions away while the poll runs.)
    void fileIlleggibile()
    {
        Cartelle c;
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        c.metti(QStringLiteral("A2.txt"), fileA(QStringLiteral("2"), QStringLiteral("Due")));
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("2"), QStringLiteral("8002"))});
        QVERIFY(QFile::setPermissions(c.file(QStringLiteral("A1.txt")), QFileDevice::Permissions()));
        Giro<> giro;
        PollCartellaIN::Risultato r;
        {
            SenzaCapacita senza({CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH});
            QFile prova(c.file(QStringLiteral("A1.txt")));
            QVERIFY2(!prova.open(QIODevice::ReadOnly), "A1.txt is still readable");
            r = giro.risultato();
        }
        QCOMPARE(r.importati, 2);
        QCOMPARE(val(QStringLiteral("SELECT BarCode FROM Magazzino WHERE CodArtCEDI = '2'")).toString(),
                 QStringLiteral("8002"));
        QCOMPARE(articoli(), 1);
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(QDir(PollCartellaIN::cartellaScartati(c.in)).entryList(QDir::Files), QStringList{"A1.txt"});
        QCOMPARE(r.avvisi.size(), 1);
        QVERIFY2(r.avvisi.at(0).contains(QStringLiteral("A1.txt")) &&
                     r.avvisi.at(0).contains(QStringLiteral("non si può leggere")),
                 qPrintable(r.avvisi.at(0)));
        QCOMPARE(errori(c.env).size(), 1);
    }

    // A file applied and left in IN (the delete refused, the history not writable, a kill before
    // either) is recorded with its rows: new poll objects on the same database (restarts) never
    // apply it again, what the shop changed meanwhile stays, and the log says why it is still there.
    void riavvioNonRiapplica_data()
    {
        QTest::addColumn<bool>("copiaFallisce");
        QTest::newRow("eliminazione rifiutata") << false;
        QTest::newRow("storico non scrivibile") << true;
    }
    void riavvioNonRiapplica()
    {
        QFETCH(bool, copiaFallisce);
        Cartelle c;
        if (copiaFallisce)
            writeRaw(c.storico, "un file, non una cartella");
        c.metti(QStringLiteral("A1.txt"), consegna());
        {
            Giro<PollSenzaElimina> giro;
            QCOMPARE(giro.passo(), 1);
        }
        QCOMPARE(articoli(), 11);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM FileINApplicati WHERE Nome = 'A1.txt'")).toInt(), 1);
        QVERIFY(
            Db::exec(QStringLiteral("UPDATE Magazzino SET \"Quantità\" = 2, Costo = 99.9 WHERE CodArtCEDI = '900'")));
        const int righeLog = errori(c.env).size();
        for (int riavvio = 0; riavvio < 3; ++riavvio) {
            Giro<PollSenzaElimina> giro;
            QCOMPARE(giro.passo(), 0);
            QCOMPARE(giro.passo(), 0);
        }
        QCOMPARE(articoli(), 11);
        QCOMPARE(val(QStringLiteral("SELECT \"Quantità\" FROM Magazzino WHERE CodArtCEDI = '900'")).toDouble(), 2.0);
        QCOMPARE(val(QStringLiteral("SELECT Costo FROM Magazzino WHERE CodArtCEDI = '900'")).toDouble(), 99.9);
        QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
        const QStringList log = errori(c.env).mid(righeLog);
        QVERIFY(!log.isEmpty());
        QVERIFY2(log.join(QLatin1Char('\n')).contains(QStringLiteral("A1.txt: già importato il ")),
                 qPrintable(log.join('\n')));
        QVERIFY(log.join(QLatin1Char('\n')).contains(QStringLiteral("resta in IN perché")));

        // Once the folder lets it go, it is moved without a second import.
        if (copiaFallisce)
            QVERIFY(QFile::remove(c.storico));
        Giro<> giro;
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(c.inStorico(), QStringList{QStringLiteral("A1.txt")});
        QCOMPARE(articoli(), 11);
    }

    // A writer that wrote 500 whole lines and keeps the file open: nothing is taken however long
    // the file stands still; once it has written the other 500 and closed the file, the 1,000 are
    // applied once, and the history holds the whole file. Where no lease can be taken (a file of
    // another user) the open files of the processes tell the same, for a writer that opened it
    // write-only or read-write.
    void scrittoreInPausa_data()
    {
        QTest::addColumn<bool>("senzaLease");
        QTest::addColumn<QIODevice::OpenMode>("modo");
        QTest::newRow("lease") << false << QIODevice::OpenMode(QIODevice::WriteOnly);
        QTest::newRow("senza lease: /proc") << true << QIODevice::OpenMode(QIODevice::WriteOnly);
        QTest::newRow("senza lease: /proc, lettura e scrittura") << true << QIODevice::OpenMode(QIODevice::ReadWrite);
    }
    void scrittoreInPausa()
    {
        QFETCH(bool, senzaLease);
        QFETCH(QIODevice::OpenMode, modo);
        if (senzaLease && geteuid() != 0)
            QSKIP("only root can give the file to another user");
        Cartelle c;
        app().wait.scale = 0.02; // a file is taken after 36 ms of stillness
        const QByteArray prima = crlf(nuovi(1, 500));
        const QByteArray dopo = crlf(nuovi(501, 500));
        const QString a1 = c.file(QStringLiteral("A1.txt"));
        QFile scrittore(a1);
        QVERIFY(scrittore.open(modo));
        QCOMPARE(scrittore.write(prima), prima.size());
        QVERIFY(scrittore.flush());
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("1"), QStringLiteral("8001"))});
        std::unique_ptr<SenzaCapacita> senza;
        if (senzaLease) {
            QVERIFY(::chown(QFile::encodeName(a1).constData(), 65534, 65534) == 0);
            senza = std::make_unique<SenzaCapacita>(std::initializer_list<int>{CAP_LEASE});
            ReadLease prova(a1);
            QVERIFY(!prova.conLease());
        }
        Giro<> giro;
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(giro.passo(), 0);
            QTest::qWait(20);
        }
        QCOMPARE(articoli(), 0);
        QCOMPARE(c.inIN(), (QStringList{"A1.txt", "B1.txt"}));
        QCOMPARE(c.inStorico(), QStringList());

        QCOMPARE(scrittore.write(dopo), dopo.size());
        scrittore.close();
        QCOMPARE(giro.finoAVuoto(c), 2);
        QCOMPARE(articoli(), 1000);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(DISTINCT CodArtCEDI) FROM Magazzino")).toInt(), 1000);
        QCOMPARE(val(QStringLiteral("SELECT BarCode FROM Magazzino WHERE CodArtCEDI = '1'")).toString(),
                 QStringLiteral("8001"));
        QCOMPARE(readAll(QDir(c.storico).filePath(QStringLiteral("A1.txt"))), prima + dopo);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM FileINApplicati WHERE Nome = 'A1.txt'")).toInt(), 1);
        QCOMPARE(errori(c.env), QStringList());
    }

    // A writer that opens the file again while it is applied: the file stays in IN (not copied,
    // not deleted), and once the writer is done only what it added is applied, also by a poll
    // that starts afresh (a restart): every line once, the history with the whole file.
    void scrittoreTornaDuranteImportazione()
    {
        Cartelle c;
        app().wait.scale = 0.02;
        const QByteArray prima = crlf(nuovi(1, 500));
        const QByteArray dopo = crlf(nuovi(501, 500));
        const QString a1 = c.file(QStringLiteral("A1.txt"));
        writeRaw(a1, prima);
        {
            Giro<> giro;
            QCOMPARE(giro.passo(), 0); // first seen
            QTest::qWait(60);
            std::thread scrittore;
            std::atomic<bool> scritto = false;
            // Inside the import's first pause for events: the writer's open waits for the poll.
            QTimer::singleShot(0, [&] {
                scrittore = std::thread([&] {
                    QFile f(a1);
                    if (f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(dopo) == dopo.size())
                        scritto = true;
                });
                QElapsedTimer t;
                t.start();
                while (!leaseInRottura(a1) && t.elapsed() < 10000)
                    QThread::msleep(1);
            });
            QCOMPARE(giro.passo(), 1);
            scrittore.join();
            QVERIFY(scritto);
            QCOMPARE(articoli(), 500);
            QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
            QCOMPARE(c.inStorico(), QStringList());
            QCOMPARE(readAll(a1), prima + dopo);
        }
        Giro<> riavvio;
        QCOMPARE(riavvio.finoAVuoto(c), 1);
        QCOMPARE(articoli(), 1000);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(DISTINCT CodArtCEDI) FROM Magazzino")).toInt(), 1000);
        QCOMPARE(readAll(QDir(c.storico).filePath(QStringLiteral("A1.txt"))), prima + dopo);
        const QString log = errori(c.env).join(QLatin1Char('\n'));
        QVERIFY2(log.contains(QStringLiteral("A1.txt: importato, ma resta in IN perché è stato riaperto")) &&
                     log.contains(QStringLiteral("importate le 500 righe nuove")),
                 qPrintable(log));
    }

    // Line length decides nothing: a line of 150 characters gives the fields it reaches, one of
    // 100,000 is cut after its record, lines without trailing blanks and a last line without
    // its line end are read whole; an empty file is applied as nothing, kept in the history and
    // deleted. All in one pass, in name order.
    void righeDiOgniLunghezzaEFileVuoti()
    {
        Cartelle c;
        const QString intera =
            Righe::articolo(QStringLiteral("N"), QStringLiteral("2"), QStringLiteral("Lunga"), 7, 2500);
        const QByteArray a1 =
            crlf({Righe::articolo(QStringLiteral("N"), QStringLiteral("1"), QStringLiteral("Corta")).left(147) +
                      QStringLiteral("XYZ"),
                  intera + QString(100000 - intera.size(), QLatin1Char('Z'))});
        QCOMPARE(a1.size(), 150 + 2 + 100000 + 2);
        writeRaw(c.file(QStringLiteral("A1.txt")), a1);
        writeRaw(c.file(QStringLiteral("A2.txt")), QByteArray());
        const QByteArray a3 = TextFile::encode(
            Righe::articolo(QStringLiteral("M"), QStringLiteral("3"), QStringLiteral("Senza blank"), 4).trimmed() +
            QStringLiteral("\r\n") +
            Righe::articolo(QStringLiteral("N"), QStringLiteral("4"), QStringLiteral("Senza fine riga")).trimmed());
        writeRaw(c.file(QStringLiteral("A3.txt")), a3);
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("4"), QStringLiteral("8004"))});
        Giro<> giro;
        const PollCartellaIN::Risultato r = giro.risultato();
        QCOMPARE(r.importati, 4);
        QCOMPARE(r.avvisi, QStringList());
        QCOMPARE(c.inIN(), QStringList());
        QCOMPARE(c.inStorico(), (QStringList{"A1.txt", "A2.txt", "A3.txt", "B1.txt"}));
        QCOMPARE(readAll(QDir(c.storico).filePath(QStringLiteral("A2.txt"))), QByteArray());
        QCOMPARE(readAll(QDir(c.storico).filePath(QStringLiteral("A1.txt"))), a1);
        QCOMPARE(articoli(), 4);
        QSqlQuery q = Db::query(QStringLiteral("SELECT CodArtCEDI, Descrizione, \"Quantità\", Costo, Genere, "
                                               "DataInizioPromo, BarCode FROM Magazzino ORDER BY CodMateriale"));
        QStringList righe;
        while (q.next()) {
            QStringList campi;
            for (int i = 0; i < 7; ++i)
                campi << q.value(i).toString();
            righe << campi.join(QLatin1Char('|'));
        }
        QCOMPARE(righe, (QStringList{"1|Corta|0|0|1|0|", "2|Lunga|7|2.5|Reparto3|2024-02-01|",
                                     "3|Senza blank|4|12.5|Reparto3|2024-02-01|",
                                     "4|Senza fine riga|5|12.5|Reparto3|2024-02-01|8004"}));
        QCOMPARE(errori(c.env), QStringList());
    }

    // Files that can never be applied go to IN/Scartati with the reason logged and told once;
    // the files after them go on in the same pass.
    void fileScartati_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("motivo");
        const QByteArray a = crlf({Righe::articolo(QStringLiteral("N"), QStringLiteral("1"), QStringLiteral("Buono"))});
        QTest::newRow("nota") << "Avviso.txt" << QByteArray("listino di dicembre arriva domani.\r\n")
                              << "nessuna riga di articoli";
        QTest::newRow("nota B") << "B0.txt" << QByteArray("Buongiorno,\r\na domani\r\n") << "nessuna riga con un EAN";
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        const QByteArray b16 = utf16.encode(Righe::variazione(QStringLiteral("1"), QStringLiteral("8001")) + "\r\n");
        QTest::newRow("utf-16") << "B0.txt" << b16 << "UTF-16";
        QTest::newRow("byte nulli") << "A0.txt" << QByteArray(400, '\0') + "\r\n"
                                    << "caratteri nulli";
        QTest::newRow("utf-8 falso") << "A0.txt" << QByteArray("\xEF\xBB\xBF") + a.left(100) + "\xE8" + a.mid(101)
                                     << "UTF-8 ma non lo è";
    }
    void fileScartati()
    {
        QFETCH(QString, nome);
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, motivo);
        Cartelle c;
        writeRaw(c.file(nome), contenuto);
        c.metti(QStringLiteral("B9.txt"), {Righe::variazione(QStringLiteral("9"), QStringLiteral("8009"))});
        c.metti(QStringLiteral("A9.txt"), fileA(QStringLiteral("9"), QStringLiteral("Dopo")));
        Giro<> giro;
        const PollCartellaIN::Risultato r = giro.risultato();
        QCOMPARE(r.importati, 2);
        QCOMPARE(articoli(), 1);
        QCOMPARE(val(QStringLiteral("SELECT Descrizione FROM Magazzino")).toString(), QStringLiteral("Dopo"));
        QCOMPARE(c.inIN(), QStringList());
        const QString scartati = QDir(c.in).filePath(QStringLiteral("Scartati"));
        QCOMPARE(QDir(scartati).entryList(QDir::Files), QStringList{nome});
        QCOMPARE(readAll(QDir(scartati).filePath(nome)), contenuto);
        QCOMPARE(r.avvisi.size(), 1);
        QVERIFY2(r.avvisi.at(0).contains(nome) && r.avvisi.at(0).contains(motivo), qPrintable(r.avvisi.at(0)));
        const QStringList log = errori(c.env);
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.at(0).contains(nome + QStringLiteral(": non importato, spostato in ")) &&
                     log.at(0).contains(motivo),
                 qPrintable(log.at(0)));

        // The same name again: kept beside the first.
        writeRaw(c.file(nome), contenuto);
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(QDir(scartati).entryList(QDir::Files).size(), 2);
    }

    // A locked database may pass: the file is kept, the pass stops (the files after it wait),
    // it is logged once as such; once the lock is gone it is applied.
    void databaseBloccato()
    {
        Cartelle c;
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        c.metti(QStringLiteral("A2.txt"), fileA(QStringLiteral("2"), QStringLiteral("Due")));
        {
            QSqlDatabase altro = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
            altro.setDatabaseName(Db::currentPath());
            altro.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            QVERIFY(altro.open());
            QSqlQuery q(altro);
            QVERIFY(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
            Giro<> giro;
            QCOMPARE(giro.passo(), 0);
            QCOMPARE(c.inIN(), (QStringList{"A1.txt", "A2.txt"}));
            QCOMPARE(c.inStorico(), QStringList());
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            q.finish();
            altro.close();
            QCOMPARE(articoli(), 0);
            QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM FileINApplicati")).toInt(), 0);
            const QStringList log = errori(c.env);
            QCOMPARE(log.size(), 1);
            QVERIFY2(log.at(0).contains(QStringLiteral("A1.txt: ") + Db::testoInUso()), qPrintable(log.at(0)));
            QCOMPARE(giro.passo(), 2);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("altro"));
        QCOMPARE(articoli(), 2);
    }

    // An A file in UTF-8 (with or without a byte-order mark) keeps its field positions;
    // Windows-1252 stays the default.
    void codificaDelFile_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        const QString riga = Righe::articolo(QStringLiteral("N"), QStringLiteral("77"),
                                             QStringLiteral("CAFFÈ ESPRESSO"), 12, 3450, QStringLiteral("003"));
        QTest::newRow("utf-8") << riga.toUtf8() + "\r\n";
        QTest::newRow("utf-8 con BOM") << QByteArray("\xEF\xBB\xBF") + riga.toUtf8() + "\r\n";
        QTest::newRow("windows-1252") << TextFile::encode(riga) + "\r\n";
    }
    void codificaDelFile()
    {
        QFETCH(QByteArray, contenuto);
        Cartelle c;
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Bar' WHERE Cod = 3")));
        writeRaw(c.file(QStringLiteral("A1.txt")), contenuto);
        Giro<> giro;
        QCOMPARE(giro.passo(), 1);
        QSqlQuery q = Db::query(
            QStringLiteral("SELECT Descrizione, \"Quantità\", Costo, UnitaMisura, Genere, CodArtCEDI FROM Magazzino"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("CAFFÈ ESPRESSO"));
        QCOMPARE(q.value(1).toDouble(), 12.0);
        QCOMPARE(q.value(2).toDouble(), 3.45);
        QCOMPARE(q.value(3).toString(), QStringLiteral("PZ"));
        QCOMPARE(q.value(4).toString(), QStringLiteral("Bar"));
        QCOMPARE(q.value(5).toString(), QStringLiteral("77"));
    }

    // An "M" line is one product: after a B file gave code 123 two EANs (two articles), a later
    // price reaches both, each keeping its own barcode and code.
    void modificaSuOgniArticoloDelCodice()
    {
        Cartelle c;
        Giro<> giro;
        c.metti(QStringLiteral("A1.txt"),
                {Righe::articolo(QStringLiteral("M"), QStringLiteral("123"), QStringLiteral("Olio"), 5, 12500)});
        QCOMPARE(giro.passo(), 1);
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("123"), QStringLiteral("e1")),
                                           Righe::variazione(QStringLiteral("123"), QStringLiteral("e2"))});
        QCOMPARE(giro.passo(), 1);
        QCOMPARE(articoli(), 2);
        c.metti(QStringLiteral("A2.txt"),
                {Righe::articolo(QStringLiteral("M"), QStringLiteral("123"), QStringLiteral("Olio extra"), 8, 20000)});
        QCOMPARE(giro.passo(), 1);
        QSqlQuery q = Db::query(QStringLiteral(
            "SELECT CodMateriale, BarCode, Costo, Descrizione, \"Quantità\" FROM Magazzino ORDER BY BarCode"));
        QStringList righe;
        while (q.next())
            righe << QStringLiteral("%1|%2|%3|%4|%5")
                         .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                              q.value(3).toString(), q.value(4).toString());
        QCOMPARE(righe, (QStringList{"2|e1|20|Olio extra|8", "1|e2|20|Olio extra|8"}));
    }

    // The article window polls by itself once shown; a modal window (or other work) makes the
    // tick pass by while the timer keeps running.
    void tickDellaFinestraArticoli()
    {
        Cartelle c;
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(w.tmrImporta->isActive());
        w.tmrImporta->setInterval(5);

        auto dialogo = std::make_unique<QDialog>(&w);
        dialogo->setWindowModality(Qt::ApplicationModal);
        dialogo->show();
        QTRY_VERIFY(QApplication::activeModalWidget() == dialogo.get());
        QVERIFY(InPollTimer::occupato(&w));
        c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
        QTest::qWait(100);
        QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
        QVERIFY(w.tmrImporta->isActive());
        dialogo.reset();

        {
            Db::Transaction altroLavoro;
            QVERIFY(InPollTimer::occupato(&w));
            QTest::qWait(50);
            QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
        }
        app().invioInCorso = true;
        QVERIFY(InPollTimer::occupato(&w));
        app().invioInCorso = false;

        QVERIFY(!InPollTimer::occupato(&w));
        QTRY_COMPARE(c.inIN(), QStringList());
        QCOMPARE(articoli(), 1);
        QVERIFY(w.tmrImporta->isActive());

        // A variation file reloads the article list.
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("1"), QStringLiteral("8001234"))});
        QTRY_COMPARE(c.inIN(), QStringList());
        QTRY_COMPARE(w.ListMagazzino->model()->rowCount(), 1);
        QTRY_VERIFY(w.ListMagazzino->model()->index(0, 11).data().toString().contains(QStringLiteral("8001234")));

        // A file that can never be applied is told on the status line.
        writeRaw(c.file(QStringLiteral("Avviso.txt")), "listino di dicembre arriva domani.\r\n");
        QTRY_COMPARE(c.inIN(), QStringList());
        QTRY_VERIFY(w.lblTab->isVisible());
        QVERIFY2(w.lblTab->text().contains(QStringLiteral("Avviso.txt")) &&
                     w.lblTab->text().contains(QStringLiteral("Scartati")),
                 qPrintable(w.lblTab->text()));
        QCOMPARE(articoli(), 1);
    }

    // Another program holds the whole database while an A file waits: the window's timers (the
    // poll, the list reload) give up at once and try again at their next tick, so the window
    // never stops answering; each says so once; once the database is free both catch up.
    void archivioInUsoDaAltroProgramma()
    {
        Cartelle c;
        Articolo a;
        a.descrizione = QStringLiteral("Prima");
        a.quantita = a.costo = a.minimo = 1;
        a.unitaMisura = QStringLiteral("Pz");
        QVERIFY(Articoli::inserisci(a));
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QTRY_COMPARE(w.ListMagazzino->testo(0, ArticleList::colDescrizione), QStringLiteral("Prima"));
        QTest::qWait(50); // activation done
        w.tmrImporta->setInterval(20);
        {
            QSqlDatabase altro = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
            altro.setDatabaseName(Db::currentPath());
            QVERIFY(altro.open());
            QSqlQuery q(altro);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(q.exec(QStringLiteral("UPDATE Magazzino SET Descrizione = 'Dopo'")));
            c.metti(QStringLiteral("A1.txt"), fileA(QStringLiteral("1"), QStringLiteral("Uno")));
            w.tmrCaricaPLU->start();

            QElapsedTimer orologio;
            qint64 ultimo = 0, fermo = 0;
            QTimer sonda;
            connect(&sonda, &QTimer::timeout, &sonda, [&] {
                fermo = qMax(fermo, orologio.elapsed() - ultimo);
                ultimo = orologio.elapsed();
            });
            orologio.start();
            sonda.start(5);
            QTest::qWait(1000);
            QVERIFY2(fermo < 150, qPrintable(QStringLiteral("finestra ferma per %1 ms").arg(fermo)));
            QCOMPARE(c.inIN(), QStringList{QStringLiteral("A1.txt")});
            QCOMPARE(w.ListMagazzino->testo(0, ArticleList::colDescrizione), QStringLiteral("Prima"));
            QCOMPARE(w.lblTab->text(), Db::testoInUso());
            QVERIFY(q.exec(QStringLiteral("COMMIT")));
            q.finish();
            altro.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("altro"));
        QTRY_COMPARE(c.inIN(), QStringList());
        QCOMPARE(articoli(), 2);
        QTRY_COMPARE(w.ListMagazzino->testo(0, ArticleList::colDescrizione), QStringLiteral("Dopo"));
        QVERIFY(!w.lblTab->isVisible());
        const QStringList log = errori(c.env);
        QVERIFY2(log.size() == 2 && log.filter(Db::testoInUso()).size() == 2 &&
                     log.filter(QStringLiteral("-CaricaMagazzino-")).size() == 1,
                 qPrintable(log.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestInPoll)
#include "tst_inpoll.moc"
