// The article window's buttons reach the other subsystems' work: the article editor, the
// scanned-barcode box, the promotions list and the register send.
#include "archive/Magazzino.h"
#include "core/Database.h"
#include "editing/AggiungiMateriale.h"
#include "support/TestEnv.h"

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
    auto* t = new QTimer;
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, [t, aperto] {
        AggiungiMateriale* e = Forms::instance<AggiungiMateriale>();
        if (!e || !e->isVisible())
            return;
        t->stop();
        t->deleteLater();
        *aperto = true;
        e->unload();
    });
    t->start();
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
};

QTEST_MAIN(TestCollegamenti)
#include "tst_collegamenti.moc"
