#include "reglink/RegisterLine.h"

#include "core/Paths.h"
#include "core/Wait.h"
#include "reglink/ProtocolLog.h"
#include "reglink/ScannerPort.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

using namespace RegLink;

namespace {

const QByteArray kCanEnq("\x18\x18\x18\x05");

QString fileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

bool waitFor(const std::function<bool()>& p, int ms = 2000)
{
    return QTest::qWaitFor(p, ms);
}
bool ack()
{
    return RegLink::risposte().rispostaCassa.stato == QLatin1String("ACK");
}
bool reply()
{
    return !RegLink::risposte().rispostaCassa.numeroErrore.isEmpty();
}

// The last line state the line told.
struct StatoVisto final : StatoLinea
{
    QString testo;
    void mostraStato(const QString& t) override { testo = t; }
};

// Every case: a fresh program folder, fast protocol timings, a fresh line.
struct Fixture
{
    TestEnv env;
    StatoVisto stato;
    LineaProva linea;
};

} // namespace

class TstLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineSettings_data();
    void lineSettings();
    void serialHandshakeAndCommand();
    void serialReplyOverSeveralReadsWithStrayBytes();
    void wrongChecksumIsRefused_data();
    void wrongChecksumIsRefused();
    void serialPortMissing();
    void serialUnsupportedSettingsFail_data();
    void serialUnsupportedSettingsFail();
    void udpHandshakeAndCommand();
    void udpChannelBoundOncePerTransfer();
    void udpAddressThatDoesNotParse();
    void pausaIsBounded();
    void waitEndsWhenTheReplyArrives();
    void scannerPort();
};

void TstLine::lineSettings_data()
{
    QTest::addColumn<QString>("parita");
    QTest::addColumn<QString>("flusso");
    QTest::addColumn<QString>("lettera");
    QTest::addColumn<int>("handshake");
    auto row = [](const char* name, const QString& parita, const QString& flusso, const QString& lettera,
                  QSerialPort::FlowControl handshake) {
        QTest::newRow(name) << parita << flusso << lettera << int(handshake);
    };
    row("defaults", "Nessuna", "Nessuno", "n", QSerialPort::NoFlowControl);
    row("even, hardware", "Pari", "Hardware", "e", QSerialPort::HardwareControl);
    row("odd, xon", "Dispari", "Xon / Xoff", "o", QSerialPort::SoftwareControl);
    row("mark, xon without blanks", "Mark", "Xon/Xoff", "m", QSerialPort::NoFlowControl);
    row("space", "Spazio", "", "s", QSerialPort::NoFlowControl);
    row("unknown word", "pari", "hardware", "n", QSerialPort::NoFlowControl);
}

void TstLine::lineSettings()
{
    QFETCH(QString, parita);
    QFETCH(QString, flusso);
    QTEST(LetteraParita(parita), "lettera");
    QTEST(int(HandshakingDa(flusso)), "handshake");
}

void TstLine::serialHandshakeAndCommand()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 41);

    RegLink::risposte().contatoreApertura = 0;
    cmdInitCom("41", fx.stato);
    QCOMPARE(fx.stato.testo, QStringLiteral("APERTO PORTA COM: 41"));
    QCOMPARE(RegLink::risposte().contatoreApertura, 1);
    QVERIFY(!RegLink::risposte().canaleUDP);
    QVERIFY(waitFor(ack));
    QVERIFY(reg->received().startsWith(kCanEnq));
    // A lone ACK is answered with an ACK.
    QVERIFY(waitFor([&] { return reg->received() == kCanEnq + "\x06"; }));

    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    QVERIFY(SendCMD("  P/51/8001234567895/LATTE/3/0/1.20/150.00/12.000/00010000/ "));
    QVERIFY(waitFor(reply));
    QCOMPARE(RegLink::risposte().rispostaCassa.numeroErrore, QStringLiteral("0"));
    QCOMPARE(reg->commands(), QStringList{"P/51/8001234567895/LATTE/3/0/1.20/150.00/12.000/00010000/"});
    QCOMPARE(reg->plu().value("8001234567895").prezzo, QStringLiteral("1.20"));
    // A good reply frame is answered ACK ACK.
    QVERIFY(waitFor([&] { return reg->received().endsWith(QByteArray("\x06\x06")); }));
    // Serial reception text keeps every raw character.
    QVERIFY(RegLink::risposte().testoRicevuto.startsWith(QStringLiteral("\x06\x06\x02"
                                                                        "00/00/00/")));

    // A reply with an error number carries description and class.
    reg->setErrore("?/", 26);
    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    SendCMD("?/");
    QVERIFY(waitFor(reply));
    QCOMPARE(RegLink::risposte().rispostaCassa.numeroErrore, QStringLiteral("26"));
    QCOMPARE(RegLink::risposte().rispostaCassa.azione, RegLink::AzioneErrore::Ripeti);
}

void TstLine::serialReplyOverSeveralReadsWithStrayBytes()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 42);
    reg->setSplitReplies(true);
    reg->setStrayBytes(QByteArray("zz\x02q"));
    reg->setErrore("?/", 0x2C);
    cmdInitCom("42", fx.stato);
    QVERIFY(waitFor(ack));
    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    SendCMD("?/");
    QVERIFY(waitFor(reply));
    QCOMPARE(RegLink::risposte().rispostaCassa.numeroErrore, QStringLiteral("44"));
    QCOMPARE(RegLink::risposte().rispostaCassa.descrizione, QStringLiteral("Carta finita"));
    QVERIFY(linea().bufferCassa().isEmpty());
}

void TstLine::wrongChecksumIsRefused_data()
{
    QTest::addColumn<bool>("udp");
    QTest::addColumn<QByteArray>("coda"); // the last bytes the program sends
    QTest::addColumn<QString>("log");
    QTest::newRow("serial") << false << QByteArray("\x15\x06")
                            << QStringLiteral(">Seriale:       ***** checksum errato, Mando NAK");
    QTest::newRow("udp") << true << QByteArray("\x15")
                         << QStringLiteral(">Socket:        ***** checksum errato, Mando NAK");
}

void TstLine::wrongChecksumIsRefused()
{
    QFETCH(bool, udp);
    QFETCH(QByteArray, coda);
    QFETCH(QString, log);
    Fixture fx;
    auto reg = udp ? FakeRegister::udp() : FakeRegister::serial(fx.env, 43);
    timings().portaUDP = reg->port();
    reg->setRetransmitOnNak(false);
    RegLink::risposte().contatoreApertura = 0;
    cmdInitCom(udp ? reg->address() : QStringLiteral("43"), fx.stato);
    QVERIFY(waitFor(ack));
    reg->setWrongChecksum(1);
    reg->setErrore("P/", 26); // a damaged "1A" reply
    reg->clearReceived();
    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    RegLink::risposte().testoRicevuto = "prima";
    SendCMD("P/1/");
    QVERIFY(waitFor([&] { return reg->received().endsWith(coda); }));
    QVERIFY(!waitFor(reply, 200));
    if (udp)
        QCOMPARE(RegLink::risposte().testoRicevuto, QStringLiteral("prima"));
    QVERIFY(fileText(percorsoLog()).contains(log));

    // With retransmission, the good copy that follows the NAK is taken.
    reg->setRetransmitOnNak(true);
    reg->setWrongChecksum(1);
    reg->setErrore("P/", 26);
    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    SendCMD("P/1/");
    QVERIFY(waitFor(reply));
    QCOMPARE(RegLink::risposte().rispostaCassa.numeroErrore, QStringLiteral("26"));
}

void TstLine::serialPortMissing()
{
    Fixture fx;
    cmdInitCom("44", fx.stato); // no dosdevices/com44 and no /dev/ttyS43 here
    QCOMPARE(RegLink::risposte().rispostaCassa.stato, QStringLiteral("ERR"));
    QVERIFY(fileText(percorsoLog()).contains("> PORTA DI COMUNICAZIONE SERIALE CHIUSA, IMPOSSIBILE MANDARE ENQ"));
    QVERIFY(fileText(Paths::datiFolder() + "/ErrorLog.dat").contains("FUNZIONI-ApriPortaRegCassa"));
    QVERIFY(!SendCMD("?/"));
}

void TstLine::serialUnsupportedSettingsFail_data()
{
    QTest::addColumn<QString>("velocita");
    QTest::addColumn<QString>("bitDati");
    QTest::addColumn<QString>("bitStop");
    auto row = [](const char* name, const QString& velocita, const QString& bitDati, const QString& bitStop) {
        QTest::newRow(name) << velocita << bitDati << bitStop;
    };
    row("1,5 stop bits", "9600", "8", "1,5");
    row("speed not a number", "veloce", "8", "1");
    row("nine data bits", "9600", "9", "1");
}

void TstLine::serialUnsupportedSettingsFail()
{
    QFETCH(QString, velocita);
    QFETCH(QString, bitDati);
    QFETCH(QString, bitStop);
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 45);
    app().impostazioniRegCassa.linea.velocita = velocita;
    app().impostazioniRegCassa.linea.bitDati = bitDati;
    app().impostazioniRegCassa.linea.bitStop = bitStop;
    QVERIFY(!linea().AperturaPortaRegCassa("45"));
    QVERIFY(!linea().portaSerialeAperta());
    cmdInitCom("45", fx.stato);
    QCOMPARE(RegLink::risposte().rispostaCassa.stato, QStringLiteral("ERR"));
    QCOMPARE(reg->received(), QByteArray());
}

void TstLine::udpHandshakeAndCommand()
{
    Fixture fx;
    auto reg = FakeRegister::udp();
    timings().portaUDP = reg->port();
    RegLink::risposte().contatoreApertura = 0;
    cmdInitCom(" 127.0.0.2 ", fx.stato);
    QVERIFY(RegLink::risposte().canaleUDP);
    QCOMPARE(fx.stato.testo, QStringLiteral("APERTO CANALE IP:  127.0.0.2 "));
    QVERIFY(waitFor(ack));
    QCOMPARE(reg->received(), QByteArray("\x05")); // no CAN on the network, nothing sent back to an ACK

    reg->addPlu({51, "8012345", "PANE", "1", "2.00", "5.000", {}});
    reg->setVendite("8012345", "1500");
    RegLink::risposte().testoRicevuto = "vecchio";
    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    QVERIFY(SendCMD("h/8012345/"));
    QVERIFY(waitFor(reply));
    QCOMPARE(RegLink::risposte().rispostaCassa.numeroErrore, QStringLiteral("0"));
    // The reply text without STX, checksum, ETX and its last character.
    QCOMPARE(RegLink::risposte().testoRicevuto, QStringLiteral("00/00/00/8012345/PANE/1/2.00/5.000/51/0/0/0/1500/0/0"));
    QVERIFY(waitFor([&] { return reg->received().endsWith("\x06"); }));
}

void TstLine::udpChannelBoundOncePerTransfer()
{
    Fixture fx;
    auto reg = FakeRegister::udp();
    timings().portaUDP = reg->port();
    RegLink::risposte().contatoreApertura = 0;
    cmdInitCom("127.0.0.2", fx.stato);
    const quint16 local = linea().Winsock1().localPort();
    QVERIFY(local != 0);
    QList<int> counters{RegLink::risposte().contatoreApertura};
    for (int i = 0; i < 12; ++i) {
        cmdInitCom("127.0.0.2", fx.stato);
        counters << RegLink::risposte().contatoreApertura;
        QCOMPARE(linea().Winsock1().localPort(), local); // reused, not bound again
    }
    QCOMPARE(counters, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 2, 3, 4}));
    QVERIFY(waitFor([&] { return reg->enqCount() == 13; }));
}

void TstLine::udpAddressThatDoesNotParse()
{
    Fixture fx;
    RegLink::risposte().contatoreApertura = 0;
    cmdInitCom("192.168.1.300", fx.stato);
    QVERIFY(RegLink::risposte().canaleUDP);
    QVERIFY(RegLink::risposte().rispostaCassa.stato.isEmpty());
    QVERIFY(!linea().canaleUDPAperto());
    QVERIFY(!SendCMD("?/"));
    QVERIFY(fileText(percorsoLog()).contains("> PORTA DI COMUNICAZIONE UDP CHIUSA, IMPOSSIBILE MANDARE ENQ"));
}

void TstLine::pausaIsBounded()
{
    Fixture fx;
    app().wait.scale = 1.0; // Pausa is core's wait, on the one policy
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    QElapsedTimer t;
    t.start();
    Pausa(60);
    QVERIFY(t.elapsed() >= 60 && t.elapsed() < 1000);
    QVERIFY(fired); // events run during the pause
    t.restart();
    Pausa(-5);
    QVERIFY(t.elapsed() < 200); // no wait at all; room for a loaded machine
}

// With the protocol's real 3 s time-out, each wait ends as soon as the register's ACK has come:
// 200 ENQ/ACK round trips on loopback take far less than a millisecond each, not a polling sleep
// (10 ms a wait would be 2 s); the bound leaves a loaded machine room.
void TstLine::waitEndsWhenTheReplyArrives()
{
    Fixture fx;
    app().wait.scale = 1.0;
    auto reg = FakeRegister::udp();
    timings().portaUDP = reg->port();
    RegLink::risposte().contatoreApertura = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 200; ++i) {
        cmdInitCom(reg->address(), fx.stato);
        QVERIFY(AttendiFinche(ack, timings().attesaMs, InputUtente::SoloControlliVivi));
    }
    QCOMPARE(reg->enqCount(), 200);
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
}

void TstLine::scannerPort()
{
    Fixture fx;
    auto reg = FakeRegister::serial(fx.env, 46);
    QSerialPort MSComm1;
    app().impostazioniBarCode.portaCOM.clear();
    QVERIFY(!ApriPortaBarCodeProdotti(MSComm1));
    app().impostazioniBarCode.portaCOM = "46";
    QVERIFY(ApriPortaBarCodeProdotti(MSComm1));
    QVERIFY(MSComm1.isOpen());
    // Reopening closes first; the scanner's characters arrive.
    QVERIFY(ApriPortaBarCodeProdotti(MSComm1));
    app().impostazioniBarCode.linea.bitStop = "1,5";
    QVERIFY(!ApriPortaBarCodeProdotti(MSComm1));
    QVERIFY(!MSComm1.isOpen());
    QVERIFY(fileText(Paths::datiFolder() + "/ErrorLog.dat").contains("FUNZIONI-ApriPortaBarCodeProdotti"));
}

QTEST_MAIN(TstLine)
#include "tst_line.moc"
