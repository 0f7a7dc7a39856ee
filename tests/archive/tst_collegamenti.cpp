// The article window's buttons reach the other subsystems' work: the article editor, the
// scanned-barcode box, the promotions list and the register send.
#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "editing/ui/AggiungiMateriale.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QDir>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

void articolo(int cod, const QString& descr, const QString& bc)
{
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, Costo, \"Quantità\") "
                                    "VALUES (?,?,?,10,5)"),
                     {cod, descr, bc}));
}

Magazzino& apri()
{
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    if (!QTest::qWaitForWindowActive(&w) || !QTest::qWaitFor([&w] { return w.ListMagazzino->count() > 0; }, 2000))
        qWarning("article window not filled");
    return w;
}

// Closes the editor as soon as it is shown modally; records whether it came up. It waits for the
// editor to be visible: a busy machine may take longer to load it than any fixed delay.
void chiudiEditoreQuandoAperto(bool* aperto)
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
        QCOMPARE(Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Offerte")).toInt(), 0);
        QCOMPARE(Db::scalar(QStringLiteral("SELECT Modificato FROM Magazzino WHERE CodMateriale=7")).toInt(), 1);

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
        QCOMPARE(Db::scalar(QStringLiteral("SELECT Modificato FROM Magazzino")).toInt(), 1);
    }

    // The reception buttons of the real window ask the technician's password, and "&Genera File
    // Dati" asks how many PLUs to receive, through the program's interaction.
    void receptionButtonsAskTheirQuestions()
    {
        TestEnv env;
        ScriptedInteraction si;
        Contesto::installaInterazione(&si);
        RegLink::timings() = RegLink::Timings::veloci();
        app().wait.scale = 0.1; // the line's pauses must leave the register time to answer
        RegLink::resetLinea();
        QDir(env.home()).mkpath("out");
        ScriviINI(env.setup(), "Cartelle", "OUT", env.path("out"));
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"));
        auto reg = FakeRegister::serial(env, 41);
        app().impostazioniRegCassa.portaCOM = "41";
        Magazzino& w = apri();

        si.texts.enqueue("2");
        w.cmdGeneraFile->click();
        QCOMPARE(si.technicianAsked, 1);
        QVERIFY(si.asked.contains("Quanti PLU da Acquisire?"));
        QStringList perNumero;
        for (const QString& c : reg->commands())
            if (c.startsWith("p/"))
                perNumero << c;
        QCOMPARE(perNumero, QStringList({"p/1/", "p/2/"}));
        QCOMPARE(si.asked.last(), QString("Importazione Terminata"));

        // A refused password starts nothing.
        si.technician = false;
        const qsizetype comandi = reg->commands().size();
        w.cmdRiceviPLU->click();
        QCOMPARE(si.technicianAsked, 2);
        QCOMPARE(reg->commands().size(), comandi);
        QVERIFY(!app().ricezioneInCorso);

        Contesto::installaInterazione(&env.interazione());
        RegLink::resetLinea();
        RegLink::resetTimings();
    }
};

QTEST_MAIN(TestCollegamenti)
#include "tst_collegamenti.moc"
