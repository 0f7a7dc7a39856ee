#include "reglink/CommandSender.h"

#include "core/IniFile.h"
#include "core/TextFile.h"
#include "core/Wait.h"
#include "reglink/ProtocolLog.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/Pannelli.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace RegLink;

namespace {

QString fileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? TextFile::decode(f.readAll()) : QString();
}

// A program folder with OUT set, a command file, fast timings, and the viewer and the
// program's end observed instead of shown or done.
struct Fixture
{
    TestEnv env;
    LineaProva linea{0.1};
    RecordingProgress righe;
    StatoLineaProva stato;
    QList<int>& progress = righe.values;
    QStringList& viewed = env.interazione().filesShown;
    int& terminations = env.programma().fineErroreGrave;

    Fixture()
    {
        timings().attesaMs = 1500; // 150 ms here
        cartellaOutProva(env);
    }
    QString commandFile(const QStringList& lines)
    {
        const QString p = env.path("FilePLU1.txt");
        if (!TextFile::writeLines(p, lines))
            qFatal("FilePLU1.txt non scritto");
        return p;
    }
    QString failures(const QString& porta) const { return fileText(env.path("out/NonTRASMESSI" + porta + ".txt")); }
    QString log() const { return fileText(percorsoLog()); }
};

int count(const QString& hay, const QString& needle)
{
    return int(hay.count(needle));
}

} // namespace

class TstCommandSender : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyActionClass();
    void cleanFileLeavesNoFailureFile();
    void failureFileLinkNotFollowed();
    void deviceErrorEndsTheProgram();
    void busyRepeatsAreBounded();
    void silentRegister_data();
    void silentRegister();
    void timeoutsInARowOnlyEndTheFile();
    void nakAndBadChecksumAreRetried();
    void slowAndSplitRegister();
    void lineDiesMidTransfer();
    void closedSerialPort();
    void overUdp();
    void commandFileReading();
    void outFolderDefault();
    void statusCheck();
};

void TstCommandSender::everyActionClass()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 51);
    reg->setErrore("P/2/", 0x47);  // 71, class 0
    reg->setErrore("P/3/", 7);     // class 2
    reg->setErrore("P/4/", 26, 2); // class 1, twice
    reg->setErrore("P/5/", 44);    // class 4
    reg->setErrore("P/6/", 0x5A);  // 90, no row
    const QString file = fx.commandFile({"P/1/A/", "P/2/B", "P/3/C/", "P/4/D/", "P/5/E/", "P/6/F/", "P/7/G/"});
    const int enqBefore = reg->enqCount();

    QVERIFY(EsameComandi(file, "51", fx.righe, fx.stato));

    QCOMPARE(reg->commands(), (QStringList{"P/1/A/", "P/2/B/", "P/3/C/", "P/4/D/", "P/4/D/", "P/4/D/", "P/5/E/",
                                           "P/5/E/", "P/6/F/", "P/7/G/"}));
    // One handshake per send, except the class-4 resend; each tells the host the port it opened.
    QCOMPARE(reg->enqCount() - enqBefore, 9);
    QCOMPARE(fx.stato.testi.size(), 9);
    QCOMPARE(fx.stato.testi.last(), QString("APERTO PORTA COM: 51"));
    QCOMPARE(fx.progress, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QVERIFY(fx.env.messages().contains("Carta finita"));

    const QString f = fx.failures("51");
    QVERIFY(f.startsWith("Invio: \r\nP/2/B\r\nESITO : Errore N.71 - Descr.: Client index error\r\n")); // as read
    QCOMPARE(count(f, "Invio: "), 6); // 71, 7, 26 twice, 44, 90
    QCOMPARE(count(f, "ESITO : Errore N.26 - Descr.: Stampante Busy, reinviare il comando"), 2);
    QVERIFY(f.contains("P/6/F/\r\nESITO : Errore N.90 - Descr.: \r\n"));
    QCOMPARE(fx.viewed, QStringList{fx.env.path("out/NonTRASMESSI51.txt")});

    const QString log = fx.log();
    QVERIFY(log.contains("         ESITO : 7 - Il PLU non esiste - 2"));
    QVERIFY(log.contains("         Azione Intrapresa : Tracciato e Ignorato il comando che ha dato l'errore"));
    QCOMPARE(count(log, "         Azione Intrapresa : Tracciato e Ripetuto il comando"), 2);
    QVERIFY(log.contains("         ESITO : 44 - Carta finita - 4\r\n") && log.contains("\r\nErrore!\r\n"));
    QCOMPARE(fx.terminations, 0);
}

void TstCommandSender::cleanFileLeavesNoFailureFile()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 52);
    QVERIFY(TextFile::writeLines(fx.env.path("out/NonTRASMESSI52.txt"), {"vecchio"}));
    QVERIFY(EsameComandi(fx.commandFile({"D/1/FRUTTA/1/0.00/500.00/1011000/1/0.00/"}), "52", fx.righe, fx.stato));
    QVERIFY(!QFile::exists(fx.env.path("out/NonTRASMESSI52.txt")));
    QVERIFY(fx.viewed.isEmpty());
    QVERIFY(!fx.log().contains("ESITO"));
    QCOMPARE(reg->reparti().value(1).value(2), QStringLiteral("FRUTTA"));
}

// A link in OUT in the failure file's place, to a file outside that is not there: the lines are
// not written through it, the link stays, and the user and the log are told why.
void TstCommandSender::failureFileLinkNotFollowed()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 53);
    reg->setErrore("P/2/", 7);
    QTemporaryDir fuori;
    const QString bersaglio = fuori.filePath("altrove.txt");
    const QString link = fx.env.path("out/NonTRASMESSI53.txt");
    QVERIFY(QFile::link(bersaglio, link));
    QVERIFY(EsameComandi(fx.commandFile({"P/1/A/", "P/2/B/"}), "53", fx.righe, fx.stato));
    QVERIFY(!QFileInfo::exists(bersaglio));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(fx.viewed.isEmpty());
    QCOMPARE(fx.env.messages()
                 .filter("NonTRASMESSI53.txt con i comandi non trasmessi alla cassa: è un "
                         "collegamento simbolico")
                 .size(),
             1);
    QVERIFY(readAll(fx.env.path("Dati/ErrorLog.dat")).contains("Collegamento simbolico al posto del file"));
}

void TstCommandSender::deviceErrorEndsTheProgram()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 53);
    reg->setErrore("P/2/", 42);
    QVERIFY(!EsameComandi(fx.commandFile({"P/1/", "P/2/", "P/3/"}), "53", fx.righe, fx.stato));
    QCOMPARE(fx.terminations, 1);
    QCOMPARE(reg->commands(), (QStringList{"P/1/", "P/2/"}));
    QVERIFY(fx.env.messages().contains("Errore tastiera - Tastiera scollegata"));
    QVERIFY(fx.env.messages().contains(
        "Errore Grave della stampante fiscale, chiamare assistenza\n\nERRORE TASTIERA - TASTIERA SCOLLEGATA"));
    // The failure file is complete when the program ends.
    QCOMPARE(fx.failures("53"), QStringLiteral("Invio: \r\nP/2/\r\nESITO : Errore N.42 - Descr.: Errore tastiera - "
                                               "Tastiera scollegata\r\n"));
    QVERIFY(fx.log().contains("LOG - ERRORE GRAVE DI DISPOSITIVO!"));
}

void TstCommandSender::busyRepeatsAreBounded()
{
    Fixture fx;
    timings().maxRipetizioniBusy = 3;
    auto reg = FakeRegister::serial(fx.env, 54);
    reg->setErrore("P/1/", 26, -1); // busy for ever
    QVERIFY(EsameComandi(fx.commandFile({"P/1/", "P/2/"}), "54", fx.righe, fx.stato));
    QCOMPARE(reg->commands(), (QStringList{"P/1/", "P/1/", "P/1/", "P/1/", "P/2/"}));
    QCOMPARE(count(fx.failures("54"), "ESITO : Errore N.26"), 4);
    QCOMPARE(count(fx.log(), "Tracciato e Ripetuto il comando"), 3);
    QCOMPARE(count(fx.log(), "Tracciato e Ignorato il comando che ha dato l'errore"), 1);
}

void TstCommandSender::silentRegister_data()
{
    QTest::addColumn<bool>("answersEnq");
    QTest::addColumn<bool>("udp");
    QTest::newRow("serial, never acknowledges ENQ") << false << false;
    QTest::newRow("serial, acknowledges ENQ, never answers") << true << false;
    QTest::newRow("udp, never acknowledges ENQ") << false << true;
    QTest::newRow("udp, acknowledges ENQ, never answers") << true << true;
}

void TstCommandSender::silentRegister()
{
    QFETCH(bool, answersEnq);
    QFETCH(bool, udp);
    Fixture fx;
    auto reg = udp ? FakeRegister::udp() : FakeRegister::serial(fx.env, 55);
    timings().portaUDP = reg->port();
    RegLink::risposte().contatoreApertura = 0;
    const QString porta = udp ? QStringLiteral("127.0.0.2") : QStringLiteral("55");
    if (answersEnq)
        reg->setIgnoreCommands(true);
    else
        reg->setSilent(true);
    QElapsedTimer t;
    t.start();
    QVERIFY(!EsameComandi(fx.commandFile({"P/1/", "P/2/"}), porta, fx.righe, fx.stato));
    QVERIFY(t.elapsed() < 6 * 150 + 2000); // six bounded waits
    QCOMPARE(reg->enqCount(), 6);
    QVERIFY(fx.log().contains("          *** Troppi timeout, esco definitivamente. FINE."));
    // Either way the failure file ends with the lines the register never got, shown to the user.
    QCOMPARE(fx.failures(porta), QStringLiteral("*** Troppi timeout, esco definitivamente. FINE.\r\n"
                                                "Comandi non inviati alla cassa:\r\nP/1/\r\nP/2/\r\n"));
    QCOMPARE(fx.viewed.size(), 1);
    if (answersEnq) {
        QCOMPARE(reg->commands(), QStringList(6, "P/1/"));
        QCOMPARE(count(fx.log(), "RIMANDO COMANDO"), 5);
    } else {
        QVERIFY(reg->commands().isEmpty());
        QCOMPARE(count(fx.log(), "RIMANDO ENQ"), 5);
    }
}

void TstCommandSender::timeoutsInARowOnlyEndTheFile()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 56);
    reg->setIgnoreNext(5);
    // Five time-outs, a reply, five more: never six in a row.
    QObject::connect(&linea(), &LineaCassa::rispostaAggiornata, reg.get(), [&] {
        if (reg->commands().size() == 6)
            reg->setIgnoreNext(5);
    });
    QVERIFY(EsameComandi(fx.commandFile({"P/1/", "P/2/"}), "56", fx.righe, fx.stato));
    QCOMPARE(reg->commands().size(), 12);
    QCOMPARE(count(fx.log(), "RIMANDO COMANDO"), 10);
}

void TstCommandSender::nakAndBadChecksumAreRetried()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 57);
    reg->setNakToEnq(3);
    reg->setWrongChecksum(1);
    reg->setRetransmitOnNak(false); // the damaged reply is only answered with NAK: time-out, resend
    reg->setErrore("P/1/", 26);     // the damaged reply is a "1A"
    QVERIFY(EsameComandi(fx.commandFile({"P/1/"}), "57", fx.righe, fx.stato));
    QCOMPARE(reg->enqCount(), 5); // three NAKs, one ACK, one after the time-out
    QCOMPARE(reg->commands(), (QStringList{"P/1/", "P/1/"}));
    // The damaged 1A was never taken: the resend got the register's clean answer.
    QVERIFY(!QFile::exists(fx.env.path("out/NonTRASMESSI57.txt")));
    QCOMPARE(count(fx.log(), "RIMANDO COMANDO"), 1);
}

void TstCommandSender::slowAndSplitRegister()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 58);
    reg->setDelay(60);
    reg->setSplitReplies(true);
    reg->setStrayBytes("\x01\x02zz");
    reg->setErrore("P/2/", 7);
    QVERIFY(EsameComandi(fx.commandFile({"P/1/", "P/2/", "P/3/"}), "58", fx.righe, fx.stato));
    QCOMPARE(reg->commands(), (QStringList{"P/1/", "P/2/", "P/3/"}));
    QCOMPARE(count(fx.failures("58"), "Invio: "), 1);
    QVERIFY(!fx.log().contains("RIMANDO"));
}

void TstCommandSender::lineDiesMidTransfer()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 59);
    reg->dieAfterCommands(2);
    QVERIFY(!EsameComandi(fx.commandFile({"P/1/", "P/2/", "P/3/", "P/4/"}), "59", fx.righe, fx.stato));
    QCOMPARE(reg->commands(), (QStringList{"P/1/", "P/2/"}));
    QCOMPARE(fx.progress.last(), 3);
    QVERIFY(fx.log().contains("Troppi timeout"));
}

void TstCommandSender::closedSerialPort()
{
    Fixture fx;
    QVERIFY(!EsameComandi(fx.commandFile({"P/1/"}), "60", fx.righe, fx.stato)); // no such port
    QCOMPARE(count(fx.log(), "> PORTA DI COMUNICAZIONE SERIALE CHIUSA, IMPOSSIBILE MANDARE ENQ"), 6);
    QVERIFY(fx.env.messages().isEmpty());
}

void TstCommandSender::overUdp()
{
    Fixture fx;
    auto reg = FakeRegister::udp();
    timings().portaUDP = reg->port();
    reg->setErrore("A/2", 7);
    RegLink::risposte().contatoreApertura = 0;
    QVERIFY(
        EsameComandi(fx.commandFile({"A/1/X/1/0/1.00/150.00/1.000/00010000/", "A/2/Y/1/0/1.00/150.00/1.000/00010000/"}),
                     "127.0.0.2", fx.righe, fx.stato));
    QCOMPARE(reg->commands().size(), 2);
    QCOMPARE(reg->plu().value("1").descrizione, QStringLiteral("X"));
    QVERIFY(!reg->plu().contains("2"));
    QVERIFY(fx.failures("127.0.0.2").contains("ESITO : Errore N.7 - Descr.: Il PLU non esiste"));
    QCOMPARE(reg->received().count('\x18'), 0);
}

void TstCommandSender::commandFileReading()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 61);
    // A comma splits a line; a quoted field keeps it; blank lines carry nothing.
    QVERIFY(EsameComandi(fx.commandFile({"  P/1/,P/2/", "", "\"P/3,4/\"", "   "}), "61", fx.righe, fx.stato));
    QCOMPARE(reg->commands(), (QStringList{"P/1/", "P/2/", "P/3,4/"}));
    // A missing command file sends nothing.
    reg->clearReceived();
    QVERIFY(EsameComandi(fx.env.path("manca.txt"), "61", fx.righe, fx.stato));
    QCOMPARE(reg->received(), QByteArray());
    QCOMPARE(fx.progress.last(), 0);
    // One that cannot be read (this process's memory from address 0: EIO) is a failed send.
    QVERIFY(QFile::link("/proc/self/mem", fx.env.path("illeggibile.txt")));
    QVERIFY(!EsameComandi(fx.env.path("illeggibile.txt"), "61", fx.righe, fx.stato));
    QCOMPARE(reg->received(), QByteArray());
}

void TstCommandSender::outFolderDefault()
{
    Fixture fx;
    QVERIFY(ScriviINI(fx.env.setup(), "Cartelle", "OUT", "?"));
    QCOMPARE(percorsoNonTrasmessi("3"), fx.env.path("NonTRASMESSI3.txt"));
    QCOMPARE(LeggiINI(fx.env.setup(), "Cartelle", "OUT", "?"), QStringLiteral("C:"));
}

void TstCommandSender::statusCheck()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 62);
    QCOMPARE(checkStatoMisuratore(3, 1, "62", fx.stato), 0);
    QCOMPARE(reg->commands(), QStringList{"?/"});
    reg->setErrore("?/", 0x10);
    QCOMPARE(checkStatoMisuratore(3, 1, "62", fx.stato), 16);

    reg->setSilent(true);
    QCOMPARE(checkStatoMisuratore(2, 1, "62", fx.stato), -1);
    QCOMPARE(count(fx.log(), "*** VERIFICA STATO - uscito per timeout comunicazione ENQ, RIMANDO ENQ"), 2);
    QVERIFY(
        fx.log().contains("                    *** VERIFICA STATO Troppi timeout su ENQ, esco definitivamente. FINE."));

    reg->setSilent(false);
    reg->setIgnoreCommands(true);
    timings().limiteSenzaMassimo = 2; // "no limit" is bounded too
    QCOMPARE(checkStatoMisuratore(0, 1, "62", fx.stato), -1);
    QCOMPARE(count(fx.log(), "*** VERIFICA STATUS  - uscito per timeout da CMD comunicazione, RIMANDO COMANDO"), 2);
    QVERIFY(fx.log().contains("*** VERIFICA STATUS - Troppi timeout su CMD, esco definitivamente. FINE."));
}

QTEST_MAIN(TstCommandSender)
#include "tst_commandsender.moc"
