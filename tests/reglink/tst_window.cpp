// The register link as the shop keeper meets it: the real article window's "Invia PLU  >>>" and
// "Leggi PLU  <<<" buttons and the department window's "Trasferisci sulla CASSA", the real line,
// and the fake register on a pseudo-terminal or on loopback UDP.
#include "archive/ui/Magazzino.h"
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "core/ui/WidgetInteraction.h"
#include "core/ui/frmPswd.h"
#include "core/ui/mdiPrincipale.h"
#include "editing/ui/RepartiWindow.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/Pannelli.h"
#include "support/SenzaCapacita.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

struct Fixture
{
    TestEnv env;
    LineaProva linea{0.1};
    QStringList& viewed = env.interazione().filesShown;

    Fixture()
    {
        cartellaOutProva(env);
        // The technician's password is asked in the real password window, as the program does.
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
    }
    void piruNEX(bool on) const { QVERIFY(ScriviINI(env.setup(), "RegCassa", "PiruNEX", on ? "Vero" : "Falso")); }
    void udp(const FakeRegister& reg) const
    {
        RegLink::timings().portaUDP = reg.port();
        app().portaETH1 = reg.address();
    }
    QString nonTrasmessi(const QString& porta) const
    {
        return TextFile::decode(readAll(env.path("out/NonTRASMESSI" + porta + ".txt")));
    }
};

void articolo(int cod, const QString& barCode, double qta = 10, int modificato = 1)
{
    QVERIFY(
        Db::exec("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\", Costo, Genere, Modificato) "
                 "VALUES (?, ?, ?, ?, 1.5, '4', ?)",
                 {cod, barCode, QString("ART %1").arg(cod), qta, modificato}));
}

void treArticoliSegnati()
{
    for (int cod = 1; cod <= 3; ++cod)
        articolo(cod, QString("800%1").arg(cod), 10);
}

double stock(int cod)
{
    return valoreDb("SELECT \"Quantità\" FROM Magazzino WHERE CodMateriale = ?", {cod}).toDouble();
}
bool segnato(int cod)
{
    return valoreDb("SELECT Modificato FROM Magazzino WHERE CodMateriale = ?", {cod}).toInt() != 0;
}

Magazzino& apri()
{
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("article window not active");
    return w;
}

// The technician types the password in the real password window as soon as it shows.
void tecnicoQuandoChiesto()
{
    auto* t = new QTimer;
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, [t] {
        frmPswd* f = Forms::instance<frmPswd>();
        if (!f || !f->isVisible())
            return;
        t->stop();
        t->deleteLater();
        QTest::keyClicks(f->TxtCodice, QStringLiteral("BORDASK"));
        QTest::mouseClick(f->cmdOk, Qt::LeftButton);
    });
    t->start();
}

// Presses `pulsante` once, as soon as `quando` holds (checked every few milliseconds): the shop
// keeper's click in the middle of a transfer.
void premiQuando(QPointer<QPushButton> pulsante, std::function<bool()> quando)
{
    auto* t = new QTimer(pulsante); // goes with the window
    t->setInterval(2);
    QObject::connect(t, &QTimer::timeout, [t, pulsante, quando] {
        if (!quando())
            return;
        t->stop();
        t->deleteLater();
        if (pulsante)
            pulsante->click();
    });
    t->start();
}

// The OUT folder as a shop may have it: the program writes into it but may delete nothing there
// (root, who deletes anywhere, meets the folder's permissions while this lives).
class OutSenzaEliminazioni
{
public:
    explicit OutSenzaEliminazioni(const TestEnv& env) : m_out(env.path("out"))
    {
        QVERIFY(QFile::setPermissions(m_out, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    ~OutSenzaEliminazioni()
    {
        if (!QFile::setPermissions(m_out, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
            qWarning("OUT folder left read-only");
    }

private:
    QString m_out;
    SenzaCapacita m_senza{CAP_DAC_OVERRIDE};
};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // PiruNEX register by network address, full dump: the "n//" rounds end at the register's end
    // reply, the received file holds each PLU once, and the sales are booked.
    void fullDumpOverUdpEnds()
    {
        Fixture fx;
        fx.piruNEX(true);
        app().metodoAcquisizione = 2;
        articolo(1, "8012345", 10);
        articolo(2, "8012346", 4);
        auto reg = FakeRegister::udp();
        fx.udp(*reg);
        reg->addPlu({51, "8012345", "PANE", "1", "2.00", "5.000", {}});
        reg->addPlu({52, "8012346", "LATTE", "1", "1.00", "5.000", {}});
        reg->setVendite("8012345", "1500");
        reg->setVendite("8012346", "1000");
        Magazzino& w = apri();
        tecnicoQuandoChiesto();
        // A dump that never ends is stopped here, as the user would, so the test fails instead of hanging.
        QTimer::singleShot(15000, [] { app().interrompiRicezione = true; });
        w.cmdRiceviPLU->click();

        QVERIFY(!fx.env.messages().join('\n').contains("interrotta"));
        QCOMPARE(reg->commandsStartingWith("n//").size(), 3);
        QStringList righe;
        QVERIFY(TextFile::readLines(fx.env.path("out/PLUQuidar1.txt"), righe));
        QCOMPARE(righe.size(), 2);
        QCOMPARE(stock(1), 8.5);
        QCOMPARE(stock(2), 3.0);
        QCOMPARE(fx.env.messages().last(), QString("IMPORTAZIONE TERMINATA"));
    }

    // A register that goes quiet in the middle of a dump: the program keeps asking for several reply
    // time-outs (each round waits one for its reply), then says the register stopped answering.
    void fullDumpWaitsForASilentRegister()
    {
        Fixture fx;
        fx.piruNEX(true);
        app().metodoAcquisizione = 2;
        articolo(1, "8012345", 10);
        auto reg = FakeRegister::udp();
        fx.udp(*reg);
        reg->addPlu({51, "8012345", "PANE", "1", "2.00", "5.000", {}});
        reg->addPlu({52, "8012346", "LATTE", "1", "1.00", "5.000", {}});
        reg->dieAfterCommands(1);
        Magazzino& w = apri();
        tecnicoQuandoChiesto();
        QElapsedTimer t;
        t.start();
        w.cmdRiceviPLU->click();

        const qint64 silenzio = app().wait.ms(RegLink::timings().attesaMs * RegLink::timings().timeoutSilenzioDump);
        QVERIFY(t.elapsed() >= silenzio);
        QVERIFY(reg->commandsStartingWith("n//").size() > RegLink::timings().timeoutSilenzioDump);
        QVERIFY(fx.env.messages().contains("Ricezione dati dalla cassa 1 non completata: la cassa non risponde più"));
        QCOMPARE(stock(1), 10.0);
    }

    // In-store barcodes: the send keeps what the register is given ("12345", and "21234" whole);
    // the by-article reception asks for those codes and the booking finds their articles.
    void inStoreBarcodesAreBooked()
    {
        Fixture fx;
        fx.piruNEX(false);
        app().metodoAcquisizione = 1;
        articolo(1, "2012345000017", 10);
        articolo(2, "21234", 6);
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();
        w.ckModificati->setChecked(true);
        fx.env.answer({QMessageBox::Yes}); // yes, there is another register: the marks stay
        w.cmdInviaPLU->click();
        QCOMPARE(reg->commandsStartingWith("A/"), QStringList({"A/12345/ART 1/4/0/1.50/150.00/10.000/00010000/",
                                                               "A/21234/ART 2/4/0/1.50/150.00/6.000/00010000/"}));

        reg->setVendite("12345", "2000");
        reg->setVendite("21234", "500");
        reg->clearReceived();
        tecnicoQuandoChiesto();
        w.cmdRiceviPLU->click();
        QCOMPARE(w.lblTab->text(), QString("APERTO PORTA COM: 41")); // the line's state, on the window
        QCOMPARE(reg->commandsStartingWith("h/"), QStringList({"h/12345/", "h/21234/"}));
        QCOMPARE(stock(1), 8.0);
        QCOMPARE(stock(2), 5.5);
    }

    // A line the register refuses (class 2) is listed in the failure file, and its article keeps
    // its mark while the others are cleared, so the next send of the changed articles repeats it.
    // When the refused line's article cannot be found (the staging table cannot be read), every
    // mark stays.
    void refusedArticleKeepsItsMark_data()
    {
        QTest::addColumn<bool>("stagingLeggibile");
        QTest::newRow("staging read") << true;
        QTest::newRow("staging unreadable") << false;
    }
    void refusedArticleKeepsItsMark()
    {
        QFETCH(bool, stagingLeggibile);
        Fixture fx;
        fx.piruNEX(false);
        treArticoliSegnati();
        auto reg = FakeRegister::serial(fx.env, 41);
        reg->setErrore("A/8002/", 7); // "Il PLU non esiste"
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();
        w.ckModificati->setChecked(true);
        bool rotta = false;
        fx.env.interazione().answerWith = [&](const QString& testo, Interaction::Buttons) {
            if (testo == QLatin1String("DEVI INVIARE SU ALTRA POSTAZIONE ?") && !stagingLeggibile)
                rotta = Db::exec("ALTER TABLE MagazzinoPerQuidar RENAME TO Altrove");
            return Interaction::No; // no other register: clear the marks
        };
        w.cmdInviaPLU->click();
        QCOMPARE(rotta, !stagingLeggibile);

        QVERIFY(fx.nonTrasmessi("41").contains("ESITO : Errore N.7 - Descr.: Il PLU non esiste"));
        QCOMPARE(segnato(1), !stagingLeggibile);
        QVERIFY(segnato(2));
        QCOMPARE(segnato(3), !stagingLeggibile);
    }

    // The article window as the program shows it at start-up (modal), three changed articles and a
    // register that refuses one of them ("04/00/00/"). The shop keeper answers No to "DEVI INVIARE
    // SU ALTRA POSTAZIONE ?" and presses "Chiudi" while the marks are being cleared: the window
    // stays until the send is over (the send still works through it), the refused article keeps
    // its mark and the sent ones lose theirs; the next send of the changed articles sends the
    // refused one alone, and "Chiudi" after the send closes the window.
    void closeDuringTheSendWaitsForItsEnd()
    {
        Fixture fx;
        fx.piruNEX(false);
        treArticoliSegnati();
        articolo(4, "8004", 10, 0); // not changed: never sent
        auto reg = FakeRegister::serial(fx.env, 41);
        reg->setErrore("A/8002/", 4); // "Controllare i campi del comando", class 2
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = Forms::get<Magazzino>();
        const QPointer<Magazzino> finestra(&w);
        w.ckModificati->setChecked(true);
        bool chiudiNellAttesa = true;
        fx.env.interazione().answerWith = [&](const QString& testo, Interaction::Buttons) {
            if (testo != QLatin1String("DEVI INVIARE SU ALTRA POSTAZIONE ?"))
                return Interaction::Ok;
            if (chiudiNellAttesa)
                QTimer::singleShot(0, [finestra] {
                    if (finestra)
                        finestra->CmdUscita->click();
                });
            return Interaction::No;
        };

        bool apertaDopoInvio = false;
        QStringList primoInvio, secondoInvio;
        QList<bool> segniDopoPrimo;
        QTimer::singleShot(0, [&] {
            w.cmdInviaPLU->click();
            apertaDopoInvio = finestra && finestra->isVisible();
            if (!apertaDopoInvio)
                return;
            primoInvio = reg->commandsStartingWith("A/");
            segniDopoPrimo = {segnato(1), segnato(2), segnato(3), segnato(4)};
            reg->clearReceived();
            chiudiNellAttesa = false;
            w.cmdInviaPLU->click();
            secondoInvio = reg->commandsStartingWith("A/");
            w.CmdUscita->click();
        });
        w.showModal();

        QVERIFY(apertaDopoInvio);
        QCOMPARE(primoInvio, QStringList({"A/8001/ART 1/4/0/1.50/150.00/10.000/00010000/",
                                          "A/8002/ART 2/4/0/1.50/150.00/10.000/00010000/",
                                          "A/8003/ART 3/4/0/1.50/150.00/10.000/00010000/"}));
        QCOMPARE(segniDopoPrimo, QList<bool>({false, true, false, false}));
        QCOMPARE(secondoInvio, QStringList({"A/8002/ART 2/4/0/1.50/150.00/10.000/00010000/"}));
        QCOMPARE(fx.env.interazione().notices,
                 QStringList({"INVIO CASSA 1 TERMINATO", "PROCEDURA DI INVIO TERMINATA", "INVIO CASSA 1 TERMINATO",
                              "PROCEDURA DI INVIO TERMINATA"}));
        QCOMPARE(fx.viewed.size(), 1); // the failure file of the first send
        QCOMPARE(reg->plu().keys(), QStringList({"8001", "8002", "8003"}));
        QVERIFY(!segnato(1) && !segnato(2) && !segnato(3) && !segnato(4));
        QTRY_VERIFY(finestra.isNull()); // closed after the send
    }

    // The same through the reception: "Chiudi" pressed while the register's sales are being read
    // leaves the window open until the reception and the booking are over.
    void closeDuringTheReceptionWaitsForItsEnd()
    {
        Fixture fx;
        fx.piruNEX(false);
        app().metodoAcquisizione = 1;
        articolo(1, "8001", 10);
        articolo(2, "8002", 6);
        auto reg = FakeRegister::serial(fx.env, 41);
        reg->addPlu({1, "8001", "ART 1", "4", "1.50", "10.000", {}});
        reg->addPlu({2, "8002", "ART 2", "4", "1.50", "6.000", {}});
        reg->setVendite("8001", "2000");
        reg->setVendite("8002", "500");
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();
        const QPointer<Magazzino> finestra(&w);
        tecnicoQuandoChiesto();
        premiQuando(w.CmdUscita, [&reg] { return !reg->commandsStartingWith("h/").isEmpty(); });
        w.cmdRiceviPLU->click();

        QVERIFY(finestra && finestra->isVisible());
        QCOMPARE(reg->commandsStartingWith("h/"), QStringList({"h/8001/", "h/8002/"}));
        QCOMPARE(stock(1), 8.0);
        QCOMPARE(stock(2), 5.5);
        QCOMPARE(fx.env.messages().last(), QString("IMPORTAZIONE TERMINATA"));
        w.CmdUscita->click();
        QTRY_VERIFY(finestra.isNull());
    }

    // The shop keeper's steps with the program's own message boxes: the changed articles sent
    // ("No", no other register: the marks are cleared), a slow reception, then "Leggi PLU  <<<"
    // again to stop it. Only the stop question shows; no mark and no control changes meanwhile,
    // since a message box is no window of ours whose return refreshes the article window.
    void stopQuestionAloneDuringAReception()
    {
        Fixture fx;
        fx.piruNEX(false);
        app().metodoAcquisizione = 1; // "Metodo Lento": one article at a time
        for (int cod = 1; cod <= 30; ++cod)
            articolo(cod, QString("80%1").arg(cod, 2, 10, QLatin1Char('0')), 10);
        auto reg = FakeRegister::serial(fx.env, 41);
        for (int cod = 1; cod <= 30; ++cod)
            reg->setVendite(QString("80%1").arg(cod, 2, 10, QLatin1Char('0')), "1000");
        app().impostazioniRegCassa.portaCOM = "41";
        WidgetInteraction ui;
        fx.env.usaInterazione(ui);
        QStringList viste;
        QTimer risponde;
        risponde.setInterval(5);
        bool password = false;
        QPointer<QMessageBox> attraversata; // the box the focus was passed under
        QObject::connect(&risponde, &QTimer::timeout, [&viste, &password, &attraversata] {
            // The window manager gives the focus back to the article window when the password
            // window closes.
            if (frmPswd* f = Forms::instance<frmPswd>(); f && f->isVisible()) {
                password = true;
            } else if (password) {
                password = false;
                QApplication::setActiveWindow(Forms::instance<Magazzino>());
            }
            auto* mb = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!mb || !mb->isVisible())
                return;
            const QString t = mb->text();
            if (t.startsWith("Vuoi interrompere") && attraversata != mb) {
                // While the box is up, the window manager passes the focus through the windows
                // under it, as X11 ones do: the main window, then the article window.
                attraversata = mb;
                QApplication::setActiveWindow(Forms::instance<mdiPrincipale>());
                QApplication::setActiveWindow(Forms::instance<Magazzino>());
                QApplication::setActiveWindow(mb);
                return; // answered at a later tick, after whatever came over it
            }
            viste << t;
            if (mb->button(QMessageBox::Ok))
                mb->button(QMessageBox::Ok)->click();
            else if (t.startsWith("Vuoi interrompere"))
                mb->button(QMessageBox::Yes)->click();
            else
                mb->button(QMessageBox::No)->click();
        });
        risponde.start();
        Forms::get<mdiPrincipale>().showModeless();
        Magazzino& w = apri();
        QTRY_VERIFY(w.ckModificati->isChecked()); // the first activation found the marks

        w.cmdInviaPLU->click(); // "DEVI INVIARE SU ALTRA POSTAZIONE ?" No: the marks go
        QVERIFY(viste.contains("DEVI INVIARE SU ALTRA POSTAZIONE ?"));
        QTRY_COMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino WHERE Modificato <> 0").toInt(), 0);
        QTest::qWait(100);
        QVERIFY(w.ckModificati->isChecked());
        w.optCerca[0]->click(); // "Descr."
        viste.clear();

        tecnicoQuandoChiesto();
        premiQuando(w.cmdRiceviPLU, [&reg] { return reg->commandsStartingWith("h/").size() >= 3; });
        w.cmdRiceviPLU->click();

        QVERIFY(viste.contains("Vuoi interrompere la ricezione dei dati?"));
        QVERIFY2(!viste.join('|').contains("TOGLIERE"), qPrintable(viste.join('|')));
        QVERIFY(reg->commandsStartingWith("h/").size() < 30); // stopped
        QVERIFY(w.ckModificati->isChecked());
        QVERIFY(w.optTrasf[1]->isChecked());
        QVERIFY(w.optCerca[0]->isChecked());
        fx.env.usaInterazione(fx.env.interazione());
    }

    // Two receptions into an OUT folder that lets nothing be deleted: the second makes the received
    // file afresh all the same and books the register's sales once. A file that cannot be emptied
    // either stops the reception with the reason, and nothing is booked.
    void receptionMakesItsFileAfresh()
    {
        Fixture fx;
        fx.piruNEX(false);
        app().metodoAcquisizione = 1;
        articolo(1, "8012345", 10);
        auto reg = FakeRegister::serial(fx.env, 41);
        reg->addPlu({1, "8012345", "PANE", "1", "2.00", "10.000", {}});
        reg->setVendite("8012345", "1500");
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();
        tecnicoQuandoChiesto();
        w.cmdRiceviPLU->click();
        QCOMPARE(stock(1), 8.5);

        const QString ricevuto = fx.env.path("out/PLUQuidar1.txt");
        OutSenzaEliminazioni out(fx.env);
        QVERIFY(!QFile::remove(ricevuto));
        fx.env.clearMessages();
        tecnicoQuandoChiesto();
        w.cmdRiceviPLU->click();
        QCOMPARE(stock(1), 7.0);
        QCOMPARE(fx.env.messages(), QStringList({"Ricezione dati dalla cassa 1 terminata", "IMPORTAZIONE TERMINATA"}));

        QVERIFY(QFile::setPermissions(ricevuto, QFileDevice::ReadOwner));
        fx.env.clearMessages();
        tecnicoQuandoChiesto();
        w.cmdRiceviPLU->click();
        QCOMPARE(stock(1), 7.0);
        QCOMPARE(fx.env.messages(),
                 QStringList({"Ricezione dati dalla cassa 1 non completata: impossibile scrivere il file " + ricevuto,
                              "IMPORTAZIONE TERMINATA"}));
    }

    // The department window's "Chiudi" pressed while the departments are being sent: the window
    // (and the register's port it would close) stays until the send is over, and every department
    // reaches the register.
    void closeDuringTheDepartmentSendWaitsForItsEnd()
    {
        Fixture fx;
        QVERIFY(Db::exec("DELETE FROM Reparti WHERE Cod > 3"));
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 4"));
        QVERIFY(ScriviINI(fx.env.setup(), "IVA TARVENIT", "4", "1"));
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        ArchivioProva archivio;
        RepartiWindow& w = Forms::get<RepartiWindow>(archivio);
        const QPointer<RepartiWindow> finestra(&w);
        w.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        premiQuando(w.Uscita, [&reg] { return !reg->commandsStartingWith("D/").isEmpty(); });
        w.Command1[2]->click();

        QVERIFY(finestra && finestra->isVisible());
        QCOMPARE(reg->reparti().keys(), QList<int>({1, 2, 3}));
        QCOMPARE(fx.env.messages().last(), QString("Invio Terminato "));
        w.Uscita->click();
        QTRY_VERIFY(finestra.isNull());
    }

    // A register that stops answering part-way: the lines it never got follow the end line of the
    // failure file, and every mark stays.
    void unsentLinesAreListed()
    {
        Fixture fx;
        fx.piruNEX(false);
        treArticoliSegnati();
        auto reg = FakeRegister::serial(fx.env, 41);
        reg->dieAfterCommands(1);
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();
        w.ckModificati->setChecked(true);
        w.cmdInviaPLU->click();

        QCOMPARE(fx.nonTrasmessi("41"), QString("*** Troppi timeout, esco definitivamente. FINE.\r\n"
                                                "Comandi non inviati alla cassa:\r\n"
                                                "A/8002/ART 2/4/0/1.50/150.00/10.000/00010000/\r\n"
                                                "A/8003/ART 3/4/0/1.50/150.00/10.000/00010000/\r\n"));
        QCOMPARE(fx.viewed.size(), 1);
        QVERIFY(segnato(1) && segnato(2) && segnato(3));
    }

    // Sends into an OUT folder that lets nothing be deleted: the failure file shown after a send
    // holds that send's refused line only. One that cannot be emptied either is not shown, and a
    // message says the refused lines could not be written.
    void failureFileHoldsThisSendOnly()
    {
        Fixture fx;
        fx.piruNEX(false);
        treArticoliSegnati();
        auto reg = FakeRegister::serial(fx.env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();
        w.ckModificati->setChecked(true);
        auto invia = [&](const QString& rifiutato) {
            reg->setErrore(rifiutato, 7);      // "Il PLU non esiste"
            fx.env.answer({QMessageBox::Yes}); // yes, there is another register: the marks stay
            w.cmdInviaPLU->click();
        };
        invia("A/8002/");
        const QString file = fx.env.path("out/NonTRASMESSI41.txt");
        OutSenzaEliminazioni out(fx.env);
        invia("A/8003/");
        QCOMPARE(fx.viewed, QStringList({file, file}));
        QCOMPARE(fx.nonTrasmessi("41"), QString("Invio: \r\nA/8003/ART 3/4/0/1.50/150.00/10.000/00010000/\r\n"
                                                "ESITO : Errore N.7 - Descr.: Il PLU non esiste\r\n"));

        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
        invia("A/8001/");
        QCOMPARE(fx.viewed.size(), 2);
        QVERIFY(fx.env.messages().contains("Impossibile scrivere il file " + file +
                                           " con i comandi non trasmessi alla cassa"));
    }

    // Replies that come in several datagrams are put together: the send over the network succeeds.
    void splitDatagramsAreAssembled()
    {
        Fixture fx;
        fx.piruNEX(true);
        articolo(1, "8001", 10);
        articolo(2, "8002", 10);
        auto reg = FakeRegister::udp();
        fx.udp(*reg);
        reg->setSplitReplies(true);
        Magazzino& w = apri();
        w.ckModificati->setChecked(true);
        w.cmdInviaPLU->click();

        QCOMPARE(reg->commandsStartingWith("A/").size(), 2); // each once: no resends
        QCOMPARE(fx.env.interazione().notices,
                 QStringList({"INVIO CASSA 1 TERMINATO", "PROCEDURA DI INVIO TERMINATA"}));
        QVERIFY(!QFile::exists(fx.env.path("out/NonTRASMESSI" + reg->address() + ".txt")));
        QCOMPARE(reg->plu().size(), 2);
    }

    // With the protocol's real time-outs and pauses, the send is paced by the register's answers:
    // each command costs the 1 ms pause between lines plus the two round trips, not polling sleeps.
    // A sleep-and-poll wait of 10 ms per reply would take 20 ms a command; the bound leaves a busy
    // machine room (about 3 ms a command seen under a loaded test run).
    void sendIsPacedByTheRegister()
    {
        Fixture fx;
        app().wait.scale = 1.0;
        fx.piruNEX(false);
        constexpr int kArticoli = 300;
        Db::Transaction tr;
        for (int i = 1; i <= kArticoli; ++i)
            articolo(i, QString("80%1").arg(i, 6, 10, QLatin1Char('0')));
        QVERIFY(tr.commit());
        auto reg = FakeRegister::udp();
        fx.udp(*reg);
        Magazzino& w = apri();
        w.ckModificati->setChecked(true);
        w.cmdInviaPLU->click();

        QCOMPARE(reg->plu().size(), kArticoli);
        const double ms = double(reg->lastReplyAt() - reg->firstEnqAt()) / 1e6;
        QVERIFY2(ms < kArticoli * 8.0, qPrintable(QString("%1 ms for %2 commands").arg(ms).arg(kArticoli)));
    }

    // A register busy through the whole wake-up (NAK to every ENQ) still gets the departments.
    void busyRegisterGetsTheDepartments()
    {
        Fixture fx;
        app().wait.scale = 0.05;
        QVERIFY(Db::exec("DELETE FROM Reparti WHERE Cod > 2"));
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 4"));
        QVERIFY(ScriviINI(fx.env.setup(), "IVA TARVENIT", "4", "1"));
        auto reg = FakeRegister::serial(fx.env, 41);
        reg->setNakToEnq(101);
        app().impostazioniRegCassa.portaCOM = "41";
        ArchivioProva archivio;
        RepartiWindow& w = Forms::get<RepartiWindow>(archivio);
        w.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Command1[2]->click();

        QCOMPARE(reg->reparti().keys(), QList<int>({1, 2}));
        QCOMPARE(fx.env.messages().last(), QString("Invio Terminato "));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
