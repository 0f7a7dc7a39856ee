// The PLU send end to end against fake registers on pseudo-terminals and UDP loopback: what the
// registers receive, the Modificato marks, the IN-folder timer and one send at a time.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "reglink/CommandSender.h"
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
#include <QtTest>

using namespace PluSender;

namespace {

// A program folder with OUT set, fast timings, the window's controls as plain values.
// The real sender unless a test replaces `invio`.
struct MittenteProva final : PluSender::Mittente
{
    std::function<RegLink::EsitoComandi(const QString&, const QString&)> invio;
    StatoLineaProva stato;
    RegLink::EsitoComandi invia(const QString& file, const QString& porta) override
    {
        if (invio)
            return invio(file, porta);
        NoProgress righe;
        return RegLink::EsameComandiEsito(file, porta, righe, stato);
    }
};

struct Fixture
{
    TestEnv env;
    LineaProva linea{0.1};
    PannelloProva p;
    MittenteProva mittente;
    bool& modificati = p.modificati;
    bool& timer = p.timer;
    QStringList& avvisi = env.interazione().notices;
    QStringList& viewed = env.interazione().filesShown;

    Fixture()
    {
        RegLink::timings().attesaMs = 1500; // 150 ms here
        cartellaOutProva(env);
        timer = true;
    }
};

void articolo(int cod, const QVariant& barCode, const QString& descr, int modificato = 1)
{
    QVERIFY(
        Db::exec("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\", Costo, Genere, Modificato) "
                 "VALUES (?, ?, ?, 2, 1.5, '4', ?)",
                 {cod, barCode, descr, modificato}));
}

int segnati()
{
    return valoreDb("SELECT COUNT(*) FROM Magazzino WHERE Modificato <> 0").toInt();
}

void treArticoli()
{
    articolo(1, "8001", "PANE");
    articolo(2, "8002", "LATTE", 0);
    articolo(3, "8003", "BURRO");
    QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, '8001X')"));
}

} // namespace

class TestSending : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullSendOverSerial()
    {
        Fixture fx;
        app().flagPiruNEX = false;
        treArticoli();
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        fx.env.answer({QMessageBox::Yes, QMessageBox::No}); // send everything; no other register
        inviaAlleCasse(fx.p, fx.mittente);

        QCOMPARE(fx.env.messages(),
                 QStringList({"Sicuro di dover inviare tutto l'archivio alla cassa?", "INVIO CASSA 1 TERMINATO",
                              "DEVI INVIARE SU ALTRA POSTAZIONE ?", "PROCEDURA DI INVIO TERMINATA"}));
        QCOMPARE(fx.avvisi, QStringList({"INVIO CASSA 1 TERMINATO", "PROCEDURA DI INVIO TERMINATA"}));
        QCOMPARE(reg->commands(), QStringList({"P/51/8001/PANE/4/0/1.50/150.00/2.000/00010000/",
                                               "P/52/8001X/PANE/4/0/1.50/150.00/2.000/00010000/",
                                               "P/53/8002/LATTE/4/0/1.50/150.00/2.000/00010000/",
                                               "P/54/8003/BURRO/4/0/1.50/150.00/2.000/00010000/"}));
        QCOMPARE(reg->plu().value("8003").numero, 54);
        QCOMPARE(segnati(), 0);
        QVERIFY(fx.timer);
        QVERIFY(fx.viewed.isEmpty());
        QVERIFY(!app().invioInCorso);
    }

    // Register 1 by network address: only the marked articles, as "A/" records; the marks stay.
    void changedSendOverUdp()
    {
        Fixture fx;
        app().flagPiruNEX = true;
        treArticoli();
        auto reg = FakeRegister::udp();
        RegLink::timings().portaUDP = reg->port();
        app().portaETH1 = reg->address();
        fx.modificati = true;
        inviaAlleCasse(fx.p, fx.mittente);

        QCOMPARE(fx.env.messages(), fx.avvisi); // no box, only the notices
        QCOMPARE(fx.avvisi, QStringList({"INVIO CASSA 1 TERMINATO", "PROCEDURA DI INVIO TERMINATA"}));
        QCOMPARE(reg->commands(), QStringList({"A/8001/PANE/4/0/1.50/150.00/2.000/10110000/0.00/0////",
                                               "A/8001X/PANE/4/0/1.50/150.00/2.000/10110000/0.00/0////",
                                               "A/8003/BURRO/4/0/1.50/150.00/2.000/10110000/0.00/0////"}));
        QVERIFY(QFile::exists(fx.env.path("FilePLU127002.txt")));
        QCOMPARE(segnati(), 2);
    }

    // A link in the command file's place, to a file outside that is not there yet: nothing is
    // written through it, the register gets nothing, the marks stay and the log says why.
    void linkInPlaceOfTheCommandFile()
    {
        Fixture fx;
        app().flagPiruNEX = false;
        treArticoli();
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        QTemporaryDir fuori;
        const QString bersaglio = fuori.filePath("comandi.txt");
        QVERIFY(QFile::link(bersaglio, fx.env.path("FilePLU41.txt")));
        fx.env.answer({QMessageBox::Yes, QMessageBox::No});
        inviaAlleCasse(fx.p, fx.mittente);
        QVERIFY(!QFileInfo::exists(bersaglio));
        QVERIFY(QFileInfo(fx.env.path("FilePLU41.txt")).isSymLink());
        QVERIFY(reg->commands().isEmpty());
        QCOMPARE(segnati(), 2);
        QVERIFY(readAll(fx.env.path("Dati/ErrorLog.dat")).contains("Collegamento simbolico al posto del file"));
    }

    // The marks are cleared only when every register configured by serial port accepted the send.
    void marksMatrix_data()
    {
        QTest::addColumn<QString>("porte"); // PortaCOM, PortaCOM1, PortaCOM2 ("-" = empty)
        QTest::addColumn<QString>("mute");  // registers that never answer
        QTest::addColumn<int>("risposta");  // the answer to "DEVI INVIARE SU ALTRA POSTAZIONE ?"
        QTest::addColumn<bool>("azzerati");
        QTest::addColumn<QStringList>("avvisi");
        // `terminate`: the registers told as done, in order.
        auto row = [](const char* name, const QString& porte, const QString& mute, int risposta, bool azzerati,
                      const QString& terminate) {
            QStringList avvisi;
            for (const QChar n : terminate)
                avvisi << QString("INVIO CASSA %1 TERMINATO").arg(n);
            QTest::newRow(name) << porte << mute << risposta << azzerati << (avvisi << "PROCEDURA DI INVIO TERMINATA");
        };
        row("one, other station", "41,-,-", "", QMessageBox::Yes, false, "1");
        row("one, last station", "41,-,-", "", QMessageBox::No, true, "1");
        row("one silent", "41,-,-", "41", QMessageBox::No, false, "");
        row("two", "41,42,-", "", 0, true, "12");
        row("two, first silent", "41,42,-", "41", 0, false, "2");
        row("gap", "41,-,43", "", 0, false, "13");
        row("three", "41,42,43", "", 0, true, "123");
        row("three, last silent", "41,42,43", "43", 0, false, "12");
    }
    void marksMatrix()
    {
        QFETCH(QString, porte);
        QFETCH(QString, mute);
        QFETCH(int, risposta);
        QFETCH(bool, azzerati);
        QFETCH(QStringList, avvisi);
        Fixture fx;
        articolo(1, "8001", "PANE");
        fx.modificati = true;
        const QStringList pp = porte.split(',');
        std::vector<std::unique_ptr<FakeRegister>> regs;
        QString* campi[3] = {&app().impostazioniRegCassa.portaCOM, &app().impostazioniRegCassa.portaCOM1,
                             &app().impostazioniRegCassa.portaCOM2};
        for (int i = 0; i < 3; ++i) {
            if (pp[i] == "-")
                continue;
            *campi[i] = pp[i];
            regs.push_back(FakeRegister::serial(fx.env, pp[i].toInt()));
            regs.back()->setSilent(mute.split(',').contains(pp[i]));
        }
        if (risposta)
            fx.env.answer({QMessageBox::StandardButton(risposta)});
        inviaAlleCasse(fx.p, fx.mittente);
        QCOMPARE(fx.avvisi, avvisi);
        QCOMPARE(segnati() == 0, azzerati);
        QStringList usate;
        for (const QString& porta : pp)
            if (porta != "-")
                usate << porta;
        for (size_t i = 0; i < regs.size(); ++i)
            QCOMPARE(regs[i]->commands().size(), mute.split(',').contains(usate[int(i)]) ? 0 : 1);
        // A register that never answered is reported as failed, by its own text.
        for (const QString& m : mute.split(',', Qt::SkipEmptyParts)) {
            const int n = int(pp.indexOf(m)) + 1;
            QVERIFY2(fx.env.messages().contains(QString("INVIO CASSA %1 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE "
                                                        "- VERIFICARE: CAVO/PortaCOM/CASSA")
                                                    .arg(n)),
                     qPrintable(fx.env.messages().join(" | ")));
        }
        QVERIFY(fx.timer);
    }

    // The IN-folder timer gets its state back however the send ends.
    void importTimerRestored_data()
    {
        QTest::addColumn<QString>("come");
        QTest::addColumn<bool>("prima");
        for (bool prima : {true, false}) {
            const char* s = prima ? ", timer on" : ", timer off";
            QTest::newRow(QByteArray("refused" + QByteArray(s)).constData()) << "rifiuto" << prima;
            QTest::newRow(QByteArray("nothing marked" + QByteArray(s)).constData()) << "vuoto" << prima;
            QTest::newRow(QByteArray("register failed" + QByteArray(s)).constData()) << "fallito" << prima;
            QTest::newRow(QByteArray("sent" + QByteArray(s)).constData()) << "inviato" << prima;
        }
    }
    void importTimerRestored()
    {
        QFETCH(QString, come);
        QFETCH(bool, prima);
        Fixture fx;
        fx.timer = prima;
        articolo(1, "8001", "PANE", come == "vuoto" ? 0 : 1);
        app().impostazioniRegCassa.portaCOM1 = "42";
        QList<bool> impostato;
        fx.p.suImportaAttivo = [&](bool on) { impostato << on; };
        bool timerDuranteInvio = true;
        fx.mittente.invio = [&](const QString&, const QString&) {
            timerDuranteInvio = fx.timer;
            return RegLink::EsitoComandi{come != "fallito", {}, {}};
        };
        fx.modificati = come != "rifiuto";
        if (come == "rifiuto")
            fx.env.answer({QMessageBox::No});
        inviaAlleCasse(fx.p, fx.mittente);
        QCOMPARE(fx.timer, prima);
        QCOMPARE(impostato.value(0, true), false); // off from the start of the send
        if (come == "fallito" || come == "inviato")
            QVERIFY(!timerDuranteInvio);
        QVERIFY(!app().invioInCorso);
    }

    // A click on send or reception while a send runs starts nothing.
    void oneTransferAtATime()
    {
        Fixture fx;
        articolo(1, "8001", "PANE");
        fx.modificati = true;
        app().impostazioniRegCassa.portaCOM = "41";
        app().impostazioniRegCassa.portaCOM1 = "42";
        int invii = 0;
        PannelloProva ricezione;
        fx.mittente.invio = [&](const QString&, const QString&) {
            ++invii;
            inviaAlleCasse(fx.p, fx.mittente);
            Reception::leggiDalleCasse(ricezione);
            Reception::generaFileDati(ricezione);
            return RegLink::EsitoComandi{};
        };
        inviaAlleCasse(fx.p, fx.mittente);
        QCOMPARE(invii, 2);
        QCOMPARE(fx.env.interazione().technicianAsked, 0);
        QCOMPARE(fx.env.messages(), fx.avvisi); // no box, only the notices
        QCOMPARE(segnati(), 0);
    }

    // Every selected article without a barcode: nothing goes to the register and the marks stay.
    void nothingStagedSendsNothing()
    {
        Fixture fx;
        articolo(1, QVariant(), "SENZA");
        fx.modificati = true;
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        inviaAlleCasse(fx.p, fx.mittente);
        QCOMPARE(fx.avvisi, QStringList({"Nessun Articolo da inviare!!!", "PROCEDURA DI INVIO TERMINATA"}));
        QVERIFY(reg->commands().isEmpty());
        QCOMPARE(segnati(), 1);
    }

    void changedOnlyBox_data()
    {
        QTest::addColumn<bool>("spuntato");
        QTest::addColumn<int>("risposta");
        QTest::addColumn<int>("segniDopo");
        QTest::addColumn<bool>("rispuntato");
        QTest::addColumn<int>("ricerche");
        QTest::newRow("unticked, yes") << false << int(QMessageBox::Yes) << 0 << false << 1;
        QTest::newRow("unticked, no") << false << int(QMessageBox::No) << 2 << true << 0;
        QTest::newRow("ticked") << true << 0 << 2 << false << 0;
    }
    void changedOnlyBox()
    {
        QFETCH(bool, spuntato);
        QFETCH(int, risposta);
        QFETCH(int, segniDopo);
        QFETCH(bool, rispuntato);
        QFETCH(int, ricerche);
        Fixture fx;
        articolo(1, "1", "A");
        articolo(2, "2", "B");
        fx.modificati = spuntato;
        fx.p.suSoloModificati = [&](bool on) {
            fx.modificati = on;
            cambiaSoloModificati(fx.p); // setting the box runs its handler
        };
        if (risposta)
            fx.env.answer({QMessageBox::StandardButton(risposta)});
        cambiaSoloModificati(fx.p);
        QCOMPARE(segnati(), segniDopo);
        QCOMPARE(fx.modificati, spuntato || rispuntato);
        QCOMPARE(fx.p.ricerche, ricerche);
        QCOMPARE(fx.p.trasf, ricerche ? -1 : 1);
        QCOMPARE(fx.env.messages().size(), spuntato ? 0 : 1);
    }
};

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
