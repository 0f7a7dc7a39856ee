// Department records and files, the [IVA TARVENIT] codes, and the department transfer.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "reglink/CommandSender.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "reglink/TrasferimentoReparti.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace TrasferimentoReparti;

namespace {

void soloReparti(int n)
{
    QVERIFY(Db::exec("DELETE FROM Reparti WHERE Cod > ?", {n}));
}

void ivaTarvenit(const TestEnv& env)
{
    QVERIFY(ScriviINI(env.setup(), "IVA TARVENIT", "4", "1"));
    QVERIFY(ScriviINI(env.setup(), "IVA TARVENIT", "10", "2"));
    QVERIFY(ScriviINI(env.setup(), "IVA TARVENIT", "22", "3"));
    QVERIFY(ScriviINI(env.setup(), "IVA TARVENIT", "0", "4"));
}

// A transfer case: three departments with their VAT codes (department 3 is Frutta with the
// automatic discount), fast protocol timings and a fresh line, the window's controls as values.
struct Trasferimento
{
    TestEnv env;
    LineaProva linea{0.2};
    PannelloRepartiProva p;

    Trasferimento()
    {
        RegLink::timings().attesaMs = 750; // 150 ms here
        ivaTarvenit(env);
        soloReparti(3);
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = ?, Iva = 4, Sconto = 1 WHERE Cod = 3",
                         {QStringLiteral("Frutta")}));
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 10, PrezzoPrefissato = 2.5 WHERE Cod = 2"));
    }
};

QStringList campi(const QString& record)
{
    return record.split('/');
}

} // namespace

class TestTrasferimentoReparti : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_data()
    {
        QTest::addColumn<QString>("descr");
        QTest::addColumn<double>("prezzo");
        QTest::addColumn<QVariant>("sconto");
        QTest::addColumn<QString>("diretto");
        QTest::addColumn<QString>("file");
        QTest::newRow("frutta") << "Frutta" << 0.0 << QVariant(1) << "D/3/FRUTTA/1/0.00/500.00/1011100/3/0.00/"
                                << "D/3/FRUTTA/1/0.00/500.00/1011000/1/0.00/";
        QTest::newRow("discount 5 is 0") << "Pane" << 1234.5 << QVariant(5)
                                         << "D/3/PANE/1/1234.50/500.00/1011000/3/0.00/"
                                         << "D/3/PANE/1/1234.50/500.00/1011000/1/0.00/";
        QTest::newRow("null discount") << "a/b'c" << 2.675 << QVariant() << "D/3/ABC/1/2.68/500.00/1011000/3/0.00/"
                                       << "D/3/ABC/1/2.68/500.00/1011000/1/0.00/";
        QTest::newRow("leading zero") << "0 BIBITE 10%" << 0.0 << QVariant(0)
                                      << "D/3/0 BIBITE 10%/1/0.00/500.00/1011000/3/0.00/"
                                      << "D/3/BIBITE 1/1/0.00/500.00/1011000/1/0.00/";
        QTest::newRow("accents commas colons") << QString::fromUtf8("Caffè, tè: é") << 0.0 << QVariant(0)
                                               << QString::fromUtf8("D/3/CAFFÈ, TÈ: É/1/0.00/500.00/1011000/3/0.00/")
                                               << "D/3/CAFFE TE E/1/0.00/500.00/1011000/1/0.00/";
        QTest::newRow("cut at 20") << "Detersivi e prodotti per la casa" << 0.0 << QVariant(0)
                                   << "D/3/DETERSIVI E PRODOTTI/1/0.00/500.00/1011000/3/0.00/"
                                   << "D/3/DETERSIVI E PRODOTTI/1/0.00/500.00/1011000/1/0.00/";
    }
    void records()
    {
        QFETCH(QString, descr);
        QFETCH(double, prezzo);
        QFETCH(QVariant, sconto);
        QFETCH(QString, diretto);
        QFETCH(QString, file);
        Reparto r;
        r.cod = 3;
        r.descrizione = descr;
        r.prezzo = prezzo;
        r.sconto = sconto;
        QCOMPARE(RecordDiretto(r, 1), diretto);
        QCOMPARE(RecordFile(r, 1, 1), file);
    }

    void fileSequence_data()
    {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QList<int>>("sequenze");
        QTest::newRow("other model") << false << QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2});
        QTest::newRow("PiruNEX") << true << QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    }
    void fileSequence()
    {
        QFETCH(bool, flag);
        QFETCH(QList<int>, sequenze);
        TestEnv env;
        app().flagPiruNEX = flag;
        ivaTarvenit(env);
        soloReparti(12);
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 22, PrezzoPrefissato = 1.5 WHERE Cod = 2"));
        bool esito = false;
        CreaFileInvioREPARTI("19216801", esito);
        QVERIFY(esito);
        const QByteArray f = readAll(env.path("FileREP19216801.txt"));
        const QList<QByteArray> righe = f.split('\n');
        QCOMPARE(righe.size(), 13);
        QCOMPARE(righe[0], QByteArray("D/1/REPARTO1/4/0.00/500.00/1011000/1/0.00/\r"));
        QCOMPARE(righe[1], QByteArray("D/2/REPARTO2/3/1.50/500.00/1011000/2/0.00/\r"));
        for (int i = 0; i < 12; ++i)
            QVERIFY2(righe[i].endsWith("/" + QByteArray::number(sequenze[i]) + "/0.00/\r"), righe[i].constData());
        QVERIFY(!f.contains(','));
        QVERIFY(env.messages().isEmpty());
    }

    // A VAT percent without a code: the key is added for the user, the instructions shown, and
    // the file stops there.
    void missingVatCode()
    {
        TestEnv env;
        ivaTarvenit(env);
        soloReparti(3);
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 5 WHERE Cod = 2"));
        bool esito = true;
        CreaFileInvioREPARTI("1", esito);
        QVERIFY(!esito);
        QCOMPARE(LeggiINI(env.setup(), "IVA TARVENIT", "5", "assente"), QString("?"));
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().at(0).startsWith("Creare in Setup.ini, chiave [IVA TARVENIT]"));
        QVERIFY(env.messages().at(0).endsWith("\n4=1\n10=2\n21=3\n0=4"));
        QCOMPARE(readAll(env.path("FileREP1.txt")), QByteArray("D/1/REPARTO1/4/0.00/500.00/1011000/1/0.00/\r\n"));

        // Still "?": asked again, and still missing.
        env.clearMessages();
        QCOMPARE(CodiceIvaCassa(5), kIvaMancante);
        QCOMPARE(env.messages().size(), 1);
    }

    void vatCodes_data()
    {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<int>("codice");
        QTest::addColumn<bool>("messaggio");
        QTest::newRow("number") << "2" << 2 << false;
        QTest::newRow("blanks") << " 3 " << 3 << false;
        QTest::newRow("text") << "due" << kIvaMancante << true;
        QTest::newRow("overflow") << "70000" << kIvaMancante << true;
        QTest::newRow("empty") << "" << kIvaMancante << true;
    }
    void vatCodes()
    {
        QFETCH(QString, valore);
        QFETCH(int, codice);
        QFETCH(bool, messaggio);
        TestEnv env;
        QVERIFY(ScriviINI(env.setup(), "IVA TARVENIT", "10", valore));
        QCOMPARE(CodiceIvaCassa(10), codice);
        QCOMPARE(!env.messages().isEmpty(), messaggio);
    }

    void emptyTableLeavesNoFile()
    {
        TestEnv env;
        soloReparti(0);
        writeRaw(env.path("FileREP1.txt"), "vecchio");
        bool esito = true;
        CreaFileInvioREPARTI("1", esito);
        QVERIFY(!esito);
        QVERIFY(!QFile::exists(env.path("FileREP1.txt")));
    }

    void otherInterchangeWordDoesNothing()
    {
        TestEnv env;
        app().parolaInterscambio = "ALTRO";
        app().impostazioniRegCassa.portaCOM = "1";
        PannelloRepartiProva p;
        TrasferisciSullaCassa(p);
        QVERIFY(env.messages().isEmpty());
    }

    // No register 1 at all: its message, then the end.
    void noRegisterOne()
    {
        TestEnv env;
        PannelloRepartiProva p;
        TrasferisciSullaCassa(p);
        QCOMPARE(
            env.messages(),
            QStringList({"INVIO CASSA 1 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE - VERIFICARE: CAVO/INDIRIZZO "
                         "IP/CASSA/RETE",
                         "Invio Terminato "}));
        QVERIFY(!app().invioInCorso);
    }
    void directSendOverSerial()
    {
        Trasferimento fx;
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        TrasferisciSullaCassa(fx.p);
        QCOMPARE(fx.env.messages(), QStringList({"Invio Terminato "}));
        QCOMPARE(reg->reparti().size(), 3);
        QCOMPARE(reg->reparti().value(3), campi("D/3/FRUTTA/1/0.00/500.00/1011100/3/0.00/"));
        QCOMPARE(reg->reparti().value(2), campi("D/2/REPARTO2/2/2.50/500.00/1011000/2/0.00/"));
        QVERIFY(reg->received().right(3).contains("\x06\x05")); // the closing ACK, ENQ
        QCOMPARE(fx.p.avviso.value(0), true);
        QCOMPARE(fx.p.avviso.last(), false);
        QVERIFY(!RegLink::linea().portaSerialeAperta());
        QVERIFY(!app().invioInCorso);
    }

    // Register 1 by network address: the department file goes through the command-file sender.
    void byFileOverUdp()
    {
        Trasferimento fx;
        app().flagPiruNEX = true;
        auto reg = FakeRegister::udp();
        RegLink::timings().portaUDP = reg->port();
        app().portaETH1 = reg->address();
        TrasferisciSullaCassa(fx.p);
        QCOMPARE(fx.env.messages(), QStringList({"Invio Terminato "}));
        QCOMPARE(reg->commands(), QStringList({"D/1/REPARTO1/4/0.00/500.00/1011000/1/0.00/",
                                               "D/2/REPARTO2/2/2.50/500.00/1011000/2/0.00/",
                                               "D/3/FRUTTA/1/0.00/500.00/1011000/3/0.00/"}));
        QVERIFY(QFile::exists(fx.env.path("FileREP127002.txt")));
        QCOMPARE(fx.p.statiLinea.value(0), "APERTO CANALE IP: " + reg->address());
    }

    void byFileRegisterSilent()
    {
        Trasferimento fx;
        auto reg = FakeRegister::udp();
        reg->setSilent(true);
        RegLink::timings().portaUDP = reg->port();
        app().portaETH1 = reg->address();
        TrasferisciSullaCassa(fx.p);
        QCOMPARE(fx.env.messages(), QStringList({"PROCEDURA INTERROTTA!!! - PROBLEMI DI INVIO SULLA RETE (LAN/WIFI) ",
                                                 "Invio Terminato "}));
    }

    // A register that never answers is reported by its own failure text; the others are served.
    void silentSerialRegister()
    {
        Trasferimento fx;
        auto uno = FakeRegister::serial(fx.env, 41);
        auto due = FakeRegister::serial(fx.env, 42);
        due->setSilent(true);
        app().impostazioniRegCassa.portaCOM = "41";
        app().impostazioniRegCassa.portaCOM1 = "42";
        TrasferisciSullaCassa(fx.p);
        QCOMPARE(fx.env.messages(),
                 QStringList(
                     {"INVIO CASSA 2 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE - VERIFICARE: CAVO/PortaCOM/CASSA",
                      "Invio Terminato "}));
        QCOMPARE(uno->reparti().size(), 3);
        QVERIFY(due->commands().isEmpty());
        QVERIFY(!due->received().contains('\x02')); // no record was sent to it
    }

    // A missing VAT code stops that register where it is; the records sent before stay.
    void directSendStopsAtMissingVat()
    {
        Trasferimento fx;
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 7 WHERE Cod = 2"));
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        TrasferisciSullaCassa(fx.p);
        QCOMPARE(fx.p.testoAvviso, QString("INVIO INTERROTTO"));
        QCOMPARE(reg->reparti().keys(), QList<int>({1}));
        QCOMPARE(fx.env.messages().last(), QString("Invio Terminato "));
        QVERIFY(!RegLink::linea().portaSerialeAperta());
    }
};

QTEST_MAIN(TestTrasferimentoReparti)
#include "tst_trasferimentoreparti.moc"
