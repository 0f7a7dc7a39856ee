#include "reglink/Frame.h"

#include <QtTest>

using namespace RegLink;

class TstFrame : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checksum_data();
    void checksum();
    void frameBytes();
    void header_data();
    void header();
    void corruptHeaderIsNoAnswer_data();
    void corruptHeaderIsNoAnswer();
    void bitString();
    void azzeraKeepsStato();
    void serialCollector();
    void datagrams();
    void datagramsMakeOneFrame();
};

void TstFrame::checksum_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sum");
    auto row = [](const char* name, const QString& text, const QString& sum) { QTest::newRow(name) << text << sum; };
    row("status query", "?/", "10");
    row("abc wraps at 256", "abc", "38");
    row("h/12345/", "h/12345/", "97");
    row("empty", "", "00");
    row("euro is 0x80", QStringLiteral("\u20AC"), "28");
    row("e grave is 0xE8", QStringLiteral("\u00E8"), "32");
}

void TstFrame::checksum()
{
    QFETCH(QString, text);
    QFETCH(QString, sum);
    QCOMPARE(CalcolaChecksum(text), sum);
}

void TstFrame::frameBytes()
{
    QCOMPARE(FrameComando("?/"), QByteArray::fromHex("023F2F313003"));
    // Blanks around a command are neither sent nor counted.
    QCOMPARE(FrameComando("   ?/  "), QByteArray::fromHex("023F2F313003"));
    QCOMPARE(FrameComando(""), QByteArray("\x02"
                                          "00"
                                          "\x03"));
    QCOMPARE(FrameComando(QStringLiteral("\u20AC")), QByteArray("\x02\x80"
                                                                "28"
                                                                "\x03"));
    // The reception's request frames keep their text as it is.
    QCOMPARE(FrameTestoIntero(" ?/"), QByteArray("\x02 ?/42\x03"));
}

void TstFrame::header_data()
{
    QTest::addColumn<QString>("testata");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<AzioneErrore>("azione");
    QTest::addColumn<QString>("descrizione");
    QTest::addColumn<QString>("flags1"); // bits 1,3,4,5,6,7 of byte 1
    QTest::addColumn<QString>("flags2"); // bits 7,6,5,3,2,1,0 of byte 2
    auto row = [](const char* name, const QString& testata, const QString& numero, AzioneErrore azione,
                  const QString& descrizione, const QString& flags1, const QString& flags2) {
        QTest::newRow(name) << testata << numero << azione << descrizione << flags1 << flags2;
    };
    using enum AzioneErrore;
    row("busy", "1A/05/12", "26", Ripeti, "Stampante Busy, reinviare il comando", "000000", "0001100");
    row("no error", "00/00/00", "0", Prosegui, "", "000000", "0000000");
    row("99 sets bits 0 1 5 6", "00/99/99", "0", Prosegui, "", "100110", "0110011");
    row("longer text", "00/08/01/P/51/", "0", Prosegui, "", "010000", "0000001");
    row("status not a number", "47/x1/-1", "71", Prosegui, "Client index error", "000000", "0000000");
}

void TstFrame::header()
{
    QFETCH(QString, testata);
    const RispostaCassaRec r = AnalizzaRisposta(testata);
    QTEST(r.numeroErrore, "numero");
    QTEST(r.azione, "azione");
    QTEST(r.descrizione, "descrizione");
    QVERIFY(r.stato.isEmpty());
    QCOMPARE(r.byteStato1, testata.mid(3, 2));
    QCOMPARE(r.byteStato2, testata.mid(6, 2));
    auto b = [](bool v) { return v ? QLatin1Char('1') : QLatin1Char('0'); };
    const QString f1 = QString() + b(r.stato1Bit1) + b(r.stato1Bit3) + b(r.stato1Bit4) + b(r.stato1Bit5) +
                       b(r.stato1Bit6) + b(r.stato1Bit7);
    const QString f2 = QString() + b(r.stato2Bit7) + b(r.stato2Bit6) + b(r.stato2Bit5) + b(r.stato2Bit3) +
                       b(r.stato2Bit2) + b(r.stato2Bit1) + b(r.stato2Bit0);
    QTEST(f1, "flags1");
    QTEST(f2, "flags2");
}

void TstFrame::corruptHeaderIsNoAnswer_data()
{
    QTest::addColumn<QString>("testata");
    QTest::newRow("empty") << "";
    QTest::newRow("short") << "00/00";
    QTest::newRow("not hex") << "ZZ/00/00";
    QTest::newRow("blank field") << "  /00/00";
    QTest::newRow("negative") << "-1/00/00";
}

void TstFrame::corruptHeaderIsNoAnswer()
{
    QFETCH(QString, testata);
    const RispostaCassaRec r = AnalizzaRisposta(testata);
    QVERIFY(r.numeroErrore.isEmpty()); // the waiter keeps waiting: never read as success
    QCOMPARE(r.azione, AzioneErrore::Prosegui);
}

void TstFrame::bitString()
{
    int bit = 8;
    QCOMPARE(BinarioDaIntero(5, bit), QStringLiteral("10100000"));
    QCOMPARE(BinarioDaIntero(12, bit), QStringLiteral("00110000"));
    QCOMPARE(BinarioDaIntero(99, bit), QStringLiteral("11000110"));
    QCOMPARE(bit, 8);
    QCOMPARE(BinarioDaIntero(256, bit), QStringLiteral("0000000010000000"));
    QCOMPARE(bit, 16);
    bit = 8;
    QCOMPARE(BinarioDaIntero(std::numeric_limits<qint64>::max(), bit).size(), 64);
}

void TstFrame::azzeraKeepsStato()
{
    RispostaCassaRec r = AnalizzaRisposta("1A/05/12");
    r.stato = "NAK";
    AzzeraRisposta(r);
    QCOMPARE(r.stato, QStringLiteral("NAK"));
    QVERIFY(r.numeroErrore.isEmpty() && r.descrizione.isEmpty() && r.azione == AzioneErrore::Prosegui);
    QVERIFY(r.byteStato1.isEmpty() && r.byteStato2.isEmpty());
    QVERIFY(!r.stato2Bit3 && !r.stato2Bit2);
}

void TstFrame::serialCollector()
{
    RicevitoreSeriale rx;
    // Stray bytes, then the reply over three reads.
    QVERIFY(!rx.aggiungi(QStringLiteral("xx\x02junk")).has_value());
    QVERIFY(!rx.aggiungi(QStringLiteral("\x02"
                                        "00/00/"))
                 .has_value());
    auto e = rx.aggiungi(QStringLiteral("00/") + CalcolaChecksum("00/00/00/") + QChar(ETX));
    QVERIFY(e.has_value());
    QCOMPARE(e->tipo, EventoRicezione::Frame);
    QVERIFY(e->checksumOk);
    QCOMPARE(e->testo, QStringLiteral("00/00/00/"));
    QVERIFY(rx.buffer().isEmpty());

    e = rx.aggiungi(QString(QChar(ACK)));
    QVERIFY(e && e->tipo == EventoRicezione::AckSolo);
    e = rx.aggiungi(QString(QChar(NAK)));
    QVERIFY(e && e->tipo == EventoRicezione::NakSolo);

    e = rx.aggiungi(QStringLiteral("\x02"
                                   "1A/00/00/99\x03"));
    QVERIFY(e && e->tipo == EventoRicezione::Frame);
    QVERIFY(!e->checksumOk);

    // A frame too short to hold checksum digits is a bad frame, not a crash.
    e = rx.aggiungi(QStringLiteral("\x02\x03"));
    QVERIFY(e && !e->checksumOk);
}

void TstFrame::datagrams()
{
    auto ok = AnalizzaDatagramma(QString::fromLatin1(FrameComando("00/00/00/")));
    QVERIFY(ok && ok->tipo == EventoRicezione::Frame && ok->checksumOk);
    QCOMPARE(ok->testo, QStringLiteral("00/00/00/"));
    // Without the leading STX too.
    ok = AnalizzaDatagramma(QStringLiteral("00/00/00/") + CalcolaChecksum("00/00/00/") + QChar(ETX));
    QVERIFY(ok && ok->checksumOk);
    QVERIFY(AnalizzaDatagramma(QString(QChar(ACK)))->tipo == EventoRicezione::AckSolo);
    QVERIFY(AnalizzaDatagramma(QString(QChar(NAK)))->tipo == EventoRicezione::NakSolo);
    QVERIFY(!AnalizzaDatagramma(QStringLiteral("\x02"
                                               "00/00/00/"))
                 .has_value());
    QVERIFY(!AnalizzaDatagramma(QString()).has_value());
}

// A reply spread over datagrams is put together up to its ETX; a lone ACK in between is its own
// event; a new STX starts again; a stray piece with nothing begun is dropped.
void TstFrame::datagramsMakeOneFrame()
{
    const QString frame = QString::fromLatin1(FrameComando("00/00/00/8012345/PANE/"));
    RicevitoreUDP r;
    QVERIFY(!r.aggiungi(frame.left(5)));
    QVERIFY(r.inCorso());
    const auto ack = r.aggiungi(QString(QChar(ACK)));
    QVERIFY(ack && ack->tipo == EventoRicezione::AckSolo);
    QVERIFY(!r.aggiungi(frame.mid(5, 10)));
    auto e = r.aggiungi(frame.mid(15));
    QVERIFY(e && e->tipo == EventoRicezione::Frame && e->checksumOk);
    QCOMPARE(e->testo, QStringLiteral("00/00/00/8012345/PANE/"));
    QVERIFY(!r.inCorso());

    QVERIFY(!r.aggiungi(QStringLiteral("00/00/")));        // nothing begun: dropped
    QVERIFY(!r.aggiungi(QStringLiteral("\x02") + "07/0")); // begun, then a new frame replaces it
    e = r.aggiungi(frame);
    QVERIFY(e && e->checksumOk && e->testo.startsWith("00/00/00/"));
    QVERIFY(!r.aggiungi(QStringLiteral("\x02") + QString(5000, 'x')));
    QVERIFY(!r.aggiungi(QString(QChar(ETX)))); // a frame past any reply's size was dropped
}

QTEST_GUILESS_MAIN(TstFrame)
#include "tst_frame.moc"
