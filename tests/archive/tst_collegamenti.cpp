// The article window's buttons reach the other subsystems' work: the article editor, the
// scanned-barcode box, the promotions list and the register send.
#include "archive/ui/DataBackup.h"
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "editing/BarCodeUlteriori.h"
#include "editing/ui/AggiungiMateriale.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/LineaProva.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>

namespace {

void articolo(int cod, const QString& descr, const QString& bc)
{
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, Costo, \"Quantità\") "
                                    "VALUES (?,?,?,10,5)"),
                     {cod, descr, bc}));
}

// A user's click lands on the option's round mark, not on the empty end of a wide button.
void cliccaOpzione(QRadioButton* b)
{
    QStyleOptionButton o;
    o.initFrom(b);
    QTest::mouseClick(b, Qt::LeftButton, {},
                      b->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &o, b).center());
}

Magazzino& apri()
{
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    if (!QTest::qWaitForWindowActive(&w) || !QTest::qWaitFor([&w] { return w.ListMagazzino->count() > 0; }, 2000))
        qWarning("article window not filled");
    return w;
}

// Closes the editor as soon as it is shown modally; records whether it came up. It polls: the
// editor's load waits, so a fixed delay could fire while it is still being built.
QTimer* chiudiEditoreQuandoAperto(bool* aperto)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, aperto] {
        AggiungiMateriale* e = Forms::instance<AggiungiMateriale>();
        if (!e || !e->isVisible() || e->windowModality() != Qt::ApplicationModal)
            return;
        poll->stop();
        poll->deleteLater();
        *aperto = true;
        e->unload();
    });
    poll->start();
    QTimer::singleShot(10000, poll, [poll] { // never shown: stop looking
        poll->stop();
        poll->deleteLater();
    });
    return poll;
}

} // namespace

class TestCollegamenti : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nuovoPluOpensTheEditor()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        Magazzino& w = apri();
        bool aperto = false;
        chiudiEditoreQuandoAperto(&aperto);
        w.Aggiungi->click();
        QVERIFY(aperto);
    }

    void scannedBarcodeOpensItsArticleOrSaysSo()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        Magazzino& w = apri();
        bool aperto = false;
        chiudiEditoreQuandoAperto(&aperto);
        w.txtRicBarCode->setFocus();
        QTest::keyClicks(w.txtRicBarCode, QStringLiteral("8001"));
        QTest::keyClick(w.txtRicBarCode, Qt::Key_Return);
        QVERIFY(aperto);

        env.clearMessages();
        QTest::keyClicks(w.txtRicBarCode, QStringLiteral("L'99"));
        QTest::keyClick(w.txtRicBarCode, Qt::Key_Return);
        QTRY_VERIFY(env.messages().join('\n').contains(QStringLiteral("Prodotto Non Registrato")));
    }

    void scannedExtraBarcodeIsNotFound()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        QVERIFY(BarCodeUlteriori::registra(QStringLiteral("1"), QStringLiteral("1"), {QStringLiteral("9009")}));
        Magazzino& w = apri();
        bool aperto = false;
        const QPointer<QTimer> poll = chiudiEditoreQuandoAperto(&aperto);
        env.clearMessages();
        w.txtRicBarCode->setFocus();
        QTest::keyClicks(w.txtRicBarCode, QStringLiteral("9009"));
        QTest::keyClick(w.txtRicBarCode, Qt::Key_Return);
        QTRY_VERIFY(
            env.messages().contains(QStringLiteral("ATTENZIONE! Prodotto Non Registrato o Lettura Imperfetta!")));
        QTest::qWait(100);
        QVERIFY(!aperto);
        delete poll; // `aperto` goes with this test
        QVERIFY(w.txtRicBarCode->text().isEmpty());
    }

    // A typed discount leaves the price as it is; a click on an option, the one already selected
    // too, gives the price. A refused discount says why and stays as typed; what is stored agrees
    // with what the registers receive.
    void promotionTypedDiscount()
    {
        TestEnv env;
        articolo(7, QStringLiteral("Caffè"), QStringLiteral("8007"));
        Magazzino& w = apri();
        w.cmdPromozioni->click();
        QVERIFY(w.frPromozione->isVisible());
        QVERIFY(w.optTipoSconto[1]->isChecked()); // no promotion yet: "%" preselected
        w.txtSconto->setFocus();
        QTest::keyClicks(w.txtSconto, QStringLiteral("20"));
        QVERIFY(w.txtPrezzoScontato->text().isEmpty());
        cliccaOpzione(w.optTipoSconto[1]);
        QVERIFY(w.optTipoSconto[1]->isChecked());
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("8,00"));
        env.clearMessages();
        w.cmdConfermaPromozione->click();
        QCOMPARE(env.messages(), QStringList());
        QCOMPARE(valoreDb(QStringLiteral("SELECT PrzScnt FROM Offerte WHERE Articolo=7")).toDouble(), 8.0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT ScontoPer FROM Offerte WHERE Articolo=7")).toDouble(), 20.0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT ScontoVal FROM Offerte WHERE Articolo=7")).toDouble(), 0.0);

        // A new discount typed over a shown price: the price stays until the option is clicked.
        w.txtSconto->setFocus();
        w.txtSconto->selectAll();
        QTest::keyClicks(w.txtSconto, QStringLiteral("2.5"));
        QCOMPARE(w.txtSconto->text(), QStringLiteral("2,5"));
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("8,00"));
        cliccaOpzione(w.optTipoSconto[0]);
        QCOMPARE(w.Label5_2->text(), QStringLiteral("di quanti €"));
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("7,50"));

        // "Valore" above the price: no negative price, the discount is kept, and CONFERMA says why.
        w.txtSconto->setFocus();
        w.txtSconto->selectAll();
        QTest::keyClicks(w.txtSconto, QStringLiteral("12"));
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("7,50"));
        cliccaOpzione(w.optTipoSconto[0]);
        QCOMPARE(w.txtSconto->text(), QStringLiteral("12"));
        QVERIFY(w.txtPrezzoScontato->text().isEmpty());
        env.clearMessages();
        w.cmdConfermaPromozione->click();
        QCOMPARE(env.messages(),
                 QStringList{QStringLiteral("Sconto superiore al prezzo del PLU - Impossibile continuare")});
        QCOMPARE(valoreDb(QStringLiteral("SELECT PrzScnt FROM Offerte WHERE Articolo=7")).toDouble(), 8.0);

        // A discount of 0 is no promotion.
        w.txtSconto->setFocus();
        w.txtSconto->selectAll();
        QTest::keyClicks(w.txtSconto, QStringLiteral("0"));
        cliccaOpzione(w.optTipoSconto[0]);
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("10,00"));
        env.clearMessages();
        w.cmdConfermaPromozione->click();
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().first().startsWith(QStringLiteral("Sconto pari a zero")));

        // A euro discount confirmed without a click: CONFERMA stores the price it gives.
        w.txtSconto->setFocus();
        w.txtSconto->selectAll();
        QTest::keyClicks(w.txtSconto, QStringLiteral("2.5"));
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("10,00"));
        env.clearMessages();
        w.cmdConfermaPromozione->click();
        QCOMPARE(env.messages(), QStringList());
        QCOMPARE(w.txtPrezzoScontato->text(), QStringLiteral("7,50"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT PrzScnt FROM Offerte WHERE Articolo=7")).toDouble(), 7.5);
        QCOMPARE(valoreDb(QStringLiteral("SELECT ScontoVal FROM Offerte WHERE Articolo=7")).toDouble(), 2.5);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Offerte")).toInt(), 1);
    }

    void backupIntoTheDataFolderSaysWhy()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        Magazzino& w = apri();
        const QString dati = env.path(QStringLiteral("Dati"));
        // The window asks the drives themselves: this needs the free space a backup asks for.
        QVERIFY(DataBackup::discoDiSistema().spazioLibero(dati) >= DataBackup::kSpazioMinimo);
        env.interazione().paths.enqueue(dati);
        env.clearMessages();
        w.cmdSalva->click();
        QCOMPARE(env.messages().size(), 1);
        QVERIFY2(env.messages().first().contains(QStringLiteral("è la cartella dei dati")),
                 qPrintable(env.messages().first()));
        QVERIFY(!env.messages().first().contains(QStringLiteral("Autorizzazione negata")));
        QVERIFY(!QFileInfo::exists(env.path(QStringLiteral("Dati/PLU_BCK"))));
    }

    void promotionsListShowsAndRemoves()
    {
        TestEnv env;
        articolo(7, QStringLiteral("Caffè"), QStringLiteral("8007"));
        const QString oggi = QDate::currentDate().toString(Qt::ISODate);
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, Pezzi, "
                                        "PrzScnt) VALUES (7, ?, ?, 1, 0, '1', 9)"),
                         {oggi, oggi}));
        Magazzino& w = apri();
        w.cmdVediTutteLePromozioni->click();
        QVERIFY(w.frElencoPromozioni->isVisible());
        QVERIFY(!w.ListMagazzino->isEnabled());
        QCOMPARE(w.lstOfferte->count(), 1);
        QCOMPARE(w.lstOfferte->testo(0, 1), QStringLiteral("7"));

        w.lstOfferte->selezionaRiga(0);
        env.answer({QMessageBox::Ok});
        w.cmdEliminaOfferta->click();
        QCOMPARE(w.lstOfferte->count(), 0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Offerte")).toInt(), 0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT Modificato FROM Magazzino WHERE CodMateriale=7")).toInt(), 1);

        w.cmdChiudiElencoOfferte->click();
        QVERIFY(!w.frElencoPromozioni->isVisible());
        QVERIFY(w.ListMagazzino->isEnabled());
    }

    void sendWithoutRegistersTellsAndKeepsTheMarks()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = 1")));
        Magazzino& w = apri();
        env.clearMessages();
        w.cmdInviaPLU->click();
        QTRY_VERIFY(!env.messages().isEmpty());
        QCOMPARE(valoreDb(QStringLiteral("SELECT Modificato FROM Magazzino")).toInt(), 1);
    }

    // The reception buttons of the real window ask the technician's password, and "&Genera File
    // Dati" asks how many PLUs to receive, through the program's interaction.
    void receptionButtonsAskTheirQuestions()
    {
        TestEnv env;
        ScriptedInteraction& si = env.interazione();
        LineaProva linea(0.1);
        cartellaOutProva(env);
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        auto reg = FakeRegister::serial(env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();

        si.texts.enqueue("2");
        w.cmdGeneraFile->click();
        QCOMPARE(si.technicianAsked, 1);
        QVERIFY(si.asked.contains("Quanti PLU da Acquisire?"));
        QCOMPARE(reg->commandsStartingWith("p/"), QStringList({"p/1/", "p/2/"}));
        QCOMPARE(si.asked.last(), QString("Importazione Terminata"));

        // A refused password starts nothing.
        si.technician = false;
        const qsizetype comandi = reg->commands().size();
        w.cmdRiceviPLU->click();
        QCOMPARE(si.technicianAsked, 2);
        QCOMPARE(reg->commands().size(), comandi);
        QVERIFY(!app().ricezioneInCorso);
    }
};

QTEST_MAIN(TestCollegamenti)
#include "tst_collegamenti.moc"
