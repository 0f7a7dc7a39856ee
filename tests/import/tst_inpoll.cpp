// The IN-folder poll on a temporary IN folder: A and B files in name order, the history copy and
// the delete, the names that hold the poll back, the failures that keep a file in IN without
// applying it twice, and the article window's tick skipped under a modal window.
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "import/Cedi.h"
#include "import/InPoll.h"
#include "import/RigheCentrale.h"
#include "import/ui/InPollTimer.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <memory>
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

int articoli()
{
    return Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt();
}

QStringList errori(const TestEnv& env)
{
    QStringList l;
    TextFile::readLines(env.path(QStringLiteral("Dati/ErrorLog.dat")), l);
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
        ScriviINI(env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), in);
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
};

QStringList fileA(const QString& codice, const QString& descr)
{
    return {Righe::articolo(QStringLiteral("N"), codice, descr)};
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
        QCOMPARE(Db::scalar(QStringLiteral("SELECT BarCode FROM Magazzino WHERE CodArtCEDI = '123'")).toString(),
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
        ScriviINI(c.env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), QStringLiteral("?"));
        QCOMPARE(giro.passo(), 0);
        ScriviINI(c.env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), c.env.path(QStringLiteral("no")));
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

    // An import that fails in the middle: the archive as before, the file still in IN.
    void importFallito()
    {
        Cartelle c;
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON Magazzino WHEN NEW.Descrizione = 'BOOM' "
                                        "BEGIN SELECT RAISE(ABORT, 'boom'); END")));
        c.metti(QStringLiteral("A1.txt"),
                fileA(QStringLiteral("1"), QStringLiteral("Uno")) + fileA(QStringLiteral("2"), QStringLiteral("BOOM")));
        c.metti(QStringLiteral("B1.txt"), {Righe::variazione(QStringLiteral("1"), QStringLiteral("8001"))});
        Giro<> giro;
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(giro.passo(), 0);
        QCOMPARE(articoli(), 0);
        QCOMPARE(Db::scalar(QStringLiteral("SELECT COUNT(*) FROM B_CEDI")).toInt(), 0);
        QCOMPARE(c.inIN(), (QStringList{"A1.txt", "B1.txt"}));
        QCOMPARE(c.inStorico(), QStringList());
        const QStringList log = errori(c.env);
        QCOMPARE(log.size(), 1); // logged once, tried at every pass
        QVERIFY(log.at(0).contains(QStringLiteral("A1.txt")));
        QVERIFY(Db::exec(QStringLiteral("DROP TRIGGER boom")));
        QCOMPARE(giro.passo(), 2);
        QCOMPARE(articoli(), 2);
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
    }
};

QTEST_MAIN(TestInPoll)
#include "tst_inpoll.moc"
