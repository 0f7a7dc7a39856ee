// Reception end to end against fake registers: each method over a pseudo-terminal and over UDP,
// the received files, the booking after a complete reception and nothing after an incomplete one.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "reglink/PluSender.h"
#include "reglink/Reception.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Reception;

namespace {

struct Fixture
{
    TestEnv env;
    LineaProva linea{0.2};
    PannelloProva p;
    QStringList& avvisi = env.interazione().notices;
    int& password = env.interazione().technicianAsked;
    bool& tecnico = env.interazione().technician;
    int& progressMax = p.progressMax;

    Fixture() { cartellaOutProva(env); }
    // The last count shown in lblRecTot (it is cleared at the end).
    QString recTot() const
    {
        for (qsizetype i = p.recTotTesti.size() - 1; i >= 0; --i)
            if (!p.recTotTesti.at(i).isEmpty())
                return p.recTotTesti.at(i);
        return {};
    }
    // Register 1 on a fake register over UDP or on serial port 41.
    std::unique_ptr<FakeRegister> cassa(bool udp = false)
    {
        if (udp) {
            auto reg = FakeRegister::udp();
            RegLink::timings().portaUDP = reg->port();
            app().portaETH1 = reg->address();
            return reg;
        }
        app().impostazioniRegCassa.portaCOM = "41";
        return FakeRegister::serial(env, 41);
    }
    QStringList ricevuto(int cassa) const
    {
        QStringList l;
        const QString file = env.path(QString("out/PLUQuidar%1.txt").arg(cassa));
        if (QFile::exists(file) && !TextFile::readLines(file, l))
            qFatal("PLUQuidar non leggibile");
        return l;
    }
};

void articolo(int cod, const QVariant& barCode, double qta)
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\") VALUES (?, ?, 'X', ?)",
                     {cod, barCode, qta}));
}

double stock(int cod)
{
    return valoreDb("SELECT \"Quantità\" FROM Magazzino WHERE CodMateriale = ?", {cod}).toDouble();
}
int storico()
{
    return valoreDb("SELECT COUNT(*) FROM StoricoPLU").toInt();
}

// Three articles; the register knows two of them and sold some of each.
void archivio(FakeRegister& reg)
{
    articolo(1, "8012345", 10);
    articolo(2, QVariant(), 5);
    articolo(3, "2012345000017", 7);
    reg.addPlu({51, "8012345", "PANE", "1", "2.00", "5.000", {}});
    reg.addPlu({52, "12345", "FORMAGGIO", "2", "9.90", "1.000", {}});
    reg.setVendite("8012345", "1500");
    reg.setVendite("12345", "250");
}

} // namespace

class TestReception : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void byArticle_data()
    {
        QTest::addColumn<bool>("udp");
        QTest::newRow("serial") << false;
        QTest::newRow("udp") << true;
    }
    void byArticle()
    {
        QFETCH(bool, udp);
        Fixture fx;
        app().flagPiruNEX = false;
        app().metodoAcquisizione = 1;
        auto reg = fx.cassa(udp);
        archivio(*reg);
        leggiDalleCasse(fx.p);

        QCOMPARE(reg->commandsStartingWith("h/"), QStringList({"h/8012345/", "h/12345/"}));
        QCOMPARE(fx.ricevuto(1).size(), 2);
        QVERIFY(fx.ricevuto(1).at(0).contains("/8012345/PANE/"));
        QCOMPARE(fx.progressMax, 3);
        QCOMPARE(fx.recTot(), QString("3"));
        QCOMPARE(fx.avvisi, QStringList({"Ricezione dati dalla cassa 1 terminata"}));
        QCOMPARE(fx.env.messages(), QStringList({"Ricezione dati dalla cassa 1 terminata", "IMPORTAZIONE TERMINATA"}));
        QCOMPARE(stock(1), 8.5);
        // The in-store barcode went to the register as "12345" and comes back so: it is that article's.
        QCOMPARE(stock(3), 6.75);
        QCOMPARE(storico(), 2);
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM StoricoPLU WHERE EAN = '2012345000017' AND Qta = 0.25").toInt(), 1);
        QCOMPARE(fx.password, 1);
        QVERIFY(!RegLink::linea().portaSerialeAperta());
        QVERIFY(!app().ricezioneInCorso);
        if (udp) // the closing exchange went to the register on its own channel
            QVERIFY(reg->received().endsWith(QByteArray("\x06\x05")));
    }

    void fullDump_data()
    {
        QTest::addColumn<bool>("udp");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<int>("ritardo"); // ms before each of the register's answers
        QTest::newRow("serial, J K") << false << false << 0;
        QTest::newRow("serial, n") << false << true << 0;
        QTest::newRow("udp, J K") << true << false << 0;
        QTest::newRow("udp, n") << true << true << 0;
        // Replies later than the pause after the request, as on a loaded machine.
        QTest::newRow("serial, J K, slow") << false << false << 80;
        QTest::newRow("serial, n, slow") << false << true << 80;
        QTest::newRow("udp, J K, slow") << true << false << 80;
        QTest::newRow("udp, n, slow") << true << true << 80;
    }
    void fullDump()
    {
        QFETCH(bool, udp);
        QFETCH(bool, flag);
        QFETCH(int, ritardo);
        Fixture fx;
        app().flagPiruNEX = flag;
        app().metodoAcquisizione = 2;
        auto reg = fx.cassa(udp);
        archivio(*reg);
        articolo(4, "12345", 3);
        reg->setDelay(ritardo);
        leggiDalleCasse(fx.p);

        // Two records and the end, each asked for once: a late reply is waited for, never cut
        // or taken for the next round's.
        if (flag) {
            QCOMPARE(reg->commandsStartingWith("n//").size(), 3);
        } else {
            QCOMPARE(reg->commandsStartingWith("J//").size(), 1);
            QCOMPARE(reg->commandsStartingWith("K//").size(), 3);
        }
        QCOMPARE(fx.ricevuto(1).size(), 2);
        QCOMPARE(fx.avvisi, QStringList({"Ricezione dati dalla cassa 1 terminata"}));
        QCOMPARE(stock(1), 8.5);
        QCOMPARE(stock(4), 2.75);
        QCOMPARE(storico(), 2);
        QVERIFY(!RegLink::linea().portaSerialeAperta());
        if (udp)
            QVERIFY(reg->received().endsWith(QByteArray("\x06\x05")));
    }

    // Register 1 over UDP, register 2 on its serial port: each reception on its own line.
    void eachRegisterOnItsOwnLine()
    {
        Fixture fx;
        app().flagPiruNEX = true;
        app().metodoAcquisizione = 2;
        auto rete = FakeRegister::udp();
        auto seriale = FakeRegister::serial(fx.env, 42);
        archivio(*rete);
        seriale->addPlu({60, "8012345", "PANE", "1", "2.00", "5.000", {}});
        seriale->setVendite("8012345", "1000");
        RegLink::timings().portaUDP = rete->port();
        app().portaETH1 = rete->address();
        app().impostazioniRegCassa.portaCOM1 = "42";
        leggiDalleCasse(fx.p);

        QCOMPARE(rete->commandsStartingWith("n//").size(), 3);
        QCOMPARE(seriale->commandsStartingWith("n//").size(), 2);
        QCOMPARE(fx.ricevuto(1).size(), 2);
        QCOMPARE(fx.ricevuto(2).size(), 1);
        QCOMPARE(fx.avvisi,
                 QStringList({"Ricezione dati dalla cassa 1 terminata", "Ricezione dati dalla cassa 2 terminata"}));
        QCOMPARE(stock(1), 7.5);
    }

    // A register that never answers: the question, then nothing booked and the user told.
    void notReady()
    {
        Fixture fx;
        app().metodoAcquisizione = 1;
        auto reg = fx.cassa();
        archivio(*reg);
        reg->setSilent(true);
        fx.env.answer({QMessageBox::Yes, QMessageBox::No}); // try once more, then give up
        leggiDalleCasse(fx.p);
        QCOMPARE(fx.env.messages(),
                 QStringList({"Stampante -- CASSA 1 -- non pronta! - Riprovare?",
                              "Stampante -- CASSA 1 -- non pronta! - Riprovare?",
                              "Ricezione dati dalla cassa 1 non completata", "IMPORTAZIONE TERMINATA"}));
        QVERIFY(fx.avvisi.isEmpty());
        QCOMPARE(storico(), 0);
        QCOMPARE(stock(1), 10.0);
        QVERIFY(!RegLink::linea().portaSerialeAperta());
        QVERIFY(reg->enqCount() >= 200);
    }

    // A register that goes quiet in the middle of a dump ends it early, unbooked.
    void dumpEndsEarly_data()
    {
        QTest::addColumn<bool>("flag");
        QTest::newRow("J K") << false;
        QTest::newRow("n") << true;
    }
    void dumpEndsEarly()
    {
        QFETCH(bool, flag);
        Fixture fx;
        app().flagPiruNEX = flag;
        app().metodoAcquisizione = 2;
        auto reg = fx.cassa();
        archivio(*reg);
        reg->dieAfterCommands(flag ? 1 : 2);
        leggiDalleCasse(fx.p);
        QVERIFY(
            fx.env.messages().contains(flag ? "Ricezione dati dalla cassa 1 non completata: la cassa non risponde più"
                                            : "Ricezione dati dalla cassa 1 non completata"));
        QCOMPARE(storico(), 0);
        QCOMPARE(stock(1), 10.0);
        QVERIFY(!RegLink::linea().portaSerialeAperta());
    }

    // A click during a reception offers to stop it; Yes stops it and skips the other registers.
    void interrupt()
    {
        Fixture fx;
        app().metodoAcquisizione = 1;
        auto uno = fx.cassa();
        auto due = FakeRegister::serial(fx.env, 42);
        archivio(*uno);
        for (int i = 10; i < 40; ++i)
            articolo(i, QString("77%1").arg(i), 1);
        app().impostazioniRegCassa.portaCOM1 = "42";
        fx.env.answer({QMessageBox::Yes});
        int clic = 0;
        struct : PluSender::Mittente
        {
            int invii = 0;
            RegLink::EsitoComandi invia(const QString&, const QString&) override
            {
                return ++invii, RegLink::EsitoComandi{};
            }
        } mittente;
        QTimer t;
        t.setInterval(30);
        QObject::connect(&t, &QTimer::timeout, [&] {
            ++clic;
            leggiDalleCasse(fx.p);
            PluSender::inviaAlleCasse(fx.p, mittente); // no send on the line while it receives
            if (clic == 3)
                t.stop();
        });
        t.start();
        leggiDalleCasse(fx.p);

        QCOMPARE(fx.env.messages(),
                 QStringList({"Vuoi interrompere la ricezione dei dati?",
                              "Ricezione dati dalla cassa 1 non completata: interrotta", "IMPORTAZIONE TERMINATA"}));
        QCOMPARE(fx.password, 1);
        QCOMPARE(mittente.invii, 0);
        QVERIFY(due->commands().isEmpty());
        QCOMPARE(storico(), 0);
        QVERIFY(!app().interrompiRicezione);
        QVERIFY(!app().ricezioneInCorso);
    }

    void passwordRefused()
    {
        Fixture fx;
        auto reg = fx.cassa();
        fx.tecnico = false;
        leggiDalleCasse(fx.p);
        generaFileDati(fx.p);
        QCOMPARE(fx.password, 2);
        QVERIFY(reg->received().isEmpty());
        QVERIFY(fx.env.messages().isEmpty());
        QVERIFY(!app().ricezioneInCorso);
    }

    void outFolderMissing()
    {
        Fixture fx;
        QVERIFY(ScriviINI(fx.env.setup(), "Cartelle", "OUT", "?"));
        auto reg = fx.cassa();
        leggiDalleCasse(fx.p);
        QVERIFY(reg->commands().isEmpty());
        QCOMPARE(fx.env.messages(),
                 QStringList({"Ricezione dati dalla cassa 1 non completata", "IMPORTAZIONE TERMINATA"}));
    }

    // A link in OUT where the received file goes, to a file outside that is not there yet: the
    // reception creates nothing through it, also when the link appears in the half-second before
    // the file opens; it says why, logs it, leaves the link as it is and books nothing.
    void linkInOutIsRefused_data()
    {
        QTest::addColumn<bool>("duranteAttesa");
        QTest::newRow("there before") << false;
        QTest::newRow("made while the file is awaited") << true;
    }
    void linkInOutIsRefused()
    {
        QFETCH(bool, duranteAttesa);
        Fixture fx;
        app().metodoAcquisizione = 1;
        auto reg = fx.cassa();
        archivio(*reg);
        QTemporaryDir fuori;
        const QString bersaglio = fuori.filePath("dati_cassa.txt");
        const QString link = fx.env.path("out/PLUQuidar1.txt");
        QTimer sonda;
        if (duranteAttesa) {
            QVERIFY(TextFile::writeLines(link, {"vecchio"}));
            connect(&sonda, &QTimer::timeout, &sonda, [&] {
                if (!QFileInfo(link).isSymLink() && !QFileInfo::exists(link)) {
                    QVERIFY(QFile::link(bersaglio, link));
                    sonda.stop();
                }
            });
            sonda.start(1);
        } else {
            QVERIFY(QFile::link(bersaglio, link));
        }
        leggiDalleCasse(fx.p);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(!QFileInfo::exists(bersaglio));
        QCOMPARE(QDir(fuori.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QVERIFY(reg->commandsStartingWith("h/").isEmpty());
        QCOMPARE(fx.env.messages(), QStringList({"Ricezione dati dalla cassa 1 non completata: il file " + link +
                                                     " è un collegamento simbolico e non viene seguito",
                                                 "IMPORTAZIONE TERMINATA"}));
        QVERIFY(readAll(fx.env.path("Dati/ErrorLog.dat")).contains("Collegamento simbolico al posto del file"));
        QCOMPARE(storico(), 0);
        QCOMPARE(stock(1), 10.0);
    }

    // The PLUs asked by number, 1 to the count typed; a count that is no number asks nothing and
    // leaves the last received file alone.
    void byNumber_data()
    {
        QTest::addColumn<QString>("risposta");
        QTest::addColumn<int>("richieste");
        QTest::addColumn<QStringList>("file"); // a fragment of each line of the received file
        QTest::newRow("three") << "3" << 3 << QStringList();
        QTest::newRow("rounded") << "52,5" << 52 << QStringList({"/8012345/PANE/", "/12345/FORMAGGIO/"});
        QTest::newRow("not a number") << "tre" << 0 << QStringList({"vecchio"});
    }
    void byNumber()
    {
        QFETCH(QString, risposta);
        QFETCH(int, richieste);
        QFETCH(QStringList, file);
        Fixture fx;
        auto reg = fx.cassa();
        archivio(*reg);
        app().portaETH1 = "127.0.0.2"; // not used by this button
        QVERIFY(TextFile::writeLines(fx.env.path("out/PLUQuidar1.txt"), {"vecchio"}));
        fx.env.interazione().texts.enqueue(risposta);
        generaFileDati(fx.p);
        QStringList attese;
        for (int i = 1; i <= richieste; ++i)
            attese << QString("p/%1/").arg(i);
        QCOMPARE(reg->commandsStartingWith("p/"), attese);
        const QStringList ricevuto = fx.ricevuto(1);
        QCOMPARE(ricevuto.size(), file.size());
        for (qsizetype i = 0; i < file.size(); ++i)
            QVERIFY2(ricevuto.at(i).contains(file.at(i)), qPrintable(ricevuto.at(i)));
        QCOMPARE(fx.env.messages().last(), QString("Importazione Terminata"));
        QCOMPARE(storico(), 0);
        QCOMPARE(stock(1), 10.0);
    }
};

QTEST_MAIN(TestReception)
#include "tst_reception.moc"
