// Sold quantities by period from the quantity history, in the logic and on the article window's
// "PLU Venduti" tab.
#include "archive/SoldQuantities.h"
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "support/TestEnv.h"

#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

namespace {

void articolo(int cod, const QVariant& barCode, const QVariant& descrizione, int eliminato = 0)
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, Eliminato) VALUES (?, ?, ?, ?)",
                     {cod, barCode, descrizione, eliminato}));
}

void storico(const QString& ean, const QVariant& qta, const QString& data)
{
    QVERIFY(Db::exec("INSERT INTO StoricoPLU (EAN, Qta, DataModif) VALUES (?, ?, ?)", {ean, qta, data}));
}

QStringList righe(const SoldQuantities::Venduto& v)
{
    QStringList out;
    for (const auto& r : v.righe)
        out << r.cod + "|" + r.ean + "|" + r.descrizione + "|" + r.qtaTesto;
    return out;
}

} // namespace

class TestSoldQuantities : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void periodSumsPerMainBarcode()
    {
        TestEnv env;
        articolo(1, "111", "ALFA");
        articolo(2, "222", "PESATO");
        articolo(3, "333", "GEMELLO1");
        articolo(4, "333", "GEMELLO2"); // two articles with one main barcode
        articolo(5, "444", {});
        articolo(6, "555", "ELIMINATO", 1);
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, '999')"));

        storico("222", 0.25, "2024-03-01"); // first day of the period
        storico("111", 20000, "2024-03-02");
        storico("333", 3, "2024-03-02");
        storico("111", 15000, "2024-03-05");
        storico("222", 0.5, "2024-03-05");
        storico("444", {}, "2024-03-06");
        storico("444", 2, "2024-03-06");
        storico("222", 0.35, "2024-03-10"); // last day of the period
        storico("555", 1, "2024-03-10");
        storico("999", 7, "2024-03-03");   // an extra barcode is not listed
        storico("111", 100, "2024-02-29"); // before
        storico("111", 100, "2024-03-11"); // after

        // Weighed goods keep their decimals (0,25 + 0,5 + 0,35); 35000 is past the 16-bit count of
        // old and is shown whole.
        const auto v = SoldQuantities::VisualizzaVendutoPLU(QDate(2024, 3, 1), QDate(2024, 3, 10));
        QVERIFY(v.ok);
        QCOMPARE(righe(v),
                 (QStringList{"|222|PESATO|1,1", "|111|ALFA|35000", "|333|GEMELLO1|3", "|444||2", "|555|ELIMINATO|1"}));
        QCOMPARE(v.totale, QString("5"));

        const auto day = SoldQuantities::VisualizzaVendutoPLU(QDate(2024, 3, 6), QDate(2024, 3, 6));
        QCOMPARE(righe(day), QStringList{"|444||2"});

        const auto none = SoldQuantities::VisualizzaVendutoPLU(QDate(2023, 1, 1), QDate(2023, 12, 31));
        QVERIFY(none.ok);
        QVERIFY(none.righe.isEmpty());
        QCOMPARE(none.totale, QString("0"));
    }

    // The rows of a barcode add up exactly, with up to three decimals and whole sums without any.
    void weighedQuantitiesAddUpExactly_data()
    {
        QTest::addColumn<QVariantList>("quantita");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("1,5 alone") << QVariantList{1.5} << "1,5";
        QTest::newRow("2,5 alone") << QVariantList{2.5} << "2,5";
        QTest::newRow("0,5 + 0,5") << QVariantList{0.5, 0.5} << "1";
        QTest::newRow("0,1 + 0,2, no binary tail") << QVariantList{0.1, 0.2} << "0,3";
        QTest::newRow("ten of 0,1") << QVariantList{0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1} << "1";
        QTest::newRow("grams") << QVariantList{0.125, 1.002} << "1,127";
        QTest::newRow("3,5 and a return of 1,5") << QVariantList{3.5, -1.5} << "2";
        QTest::newRow("a return past the sales") << QVariantList{0.25, -1.5} << "-1,25";
        QTest::newRow("past 32 bits") << QVariantList{3e9, 3e9 + 0.5} << "6000000000,5";
    }
    void weighedQuantitiesAddUpExactly()
    {
        QFETCH(QVariantList, quantita);
        QFETCH(QString, atteso);
        TestEnv env;
        articolo(1, "111", "ALFA");
        for (const QVariant& q : quantita)
            storico("111", q, "2024-03-01");
        const auto v = SoldQuantities::VisualizzaVendutoPLU(QDate(2024, 3, 1), QDate(2024, 3, 1));
        QVERIFY(v.ok);
        QCOMPARE(righe(v), QStringList{"|111|ALFA|" + atteso});
    }

    // A quantity or a sum no count can hold is logged and ends the view, as a database error does.
    void quantityPastAnyCountIsLogged_data()
    {
        QTest::addColumn<QVariantList>("quantita");
        QTest::newRow("one row") << QVariantList{1e19};
        QTest::newRow("the sum") << QVariantList{5e15, 5e15};
    }
    void quantityPastAnyCountIsLogged()
    {
        QFETCH(QVariantList, quantita);
        TestEnv env;
        articolo(1, "111", "ALFA");
        for (const QVariant& q : quantita)
            storico("111", q, "2024-03-01");
        const auto v = SoldQuantities::VisualizzaVendutoPLU(QDate(2024, 3, 1), QDate(2024, 3, 1));
        QVERIFY(!v.ok);
        QVERIFY(v.righe.isEmpty() && v.totale.isEmpty());
        const QByteArray log = readAll(env.path("Dati/ErrorLog.dat"));
        QVERIFY(log.contains("VisualizzaVendutoPLU"));
        QVERIFY(log.contains("Err.N.:6"));
    }

    // On the article window: the tab shows the current day, "Vedi" the period of the pickers,
    // weighed goods with their decimals.
    void viewOnTheWindow()
    {
        TestEnv env;
        articolo(1, "8001", "ACQUA");
        articolo(2, "8002", "PANE");
        articolo(3, "8003", "SALE");
        storico("8001", 2.5, "2024-03-01");
        storico("8002", 1.5, "2024-03-01");
        storico("8001", 2.5, "2024-03-02");
        storico("8002", 1.75, "2024-03-02");
        storico("8003", 20000, "2024-03-02");
        storico("8003", 20000, "2024-03-02");
        storico("8001", 7, "2024-03-03"); // after the period
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.tbTAB, Qt::LeftButton, {}, w.tbTAB->tabRect(1).center());
        QCOMPARE(w.tbTAB->currentIndex(), 1);
        QTRY_VERIFY(w.frVendPLU->isVisible());
        QCOMPARE(w.lstPLU->count(), 0); // nothing sold today
        QCOMPARE(w.lblTotMovimentati->text(), QString("0"));
        w.dtGiornoRif->setDate(QDate(2024, 3, 1));
        w.dtDataAl->setDate(QDate(2024, 3, 2));
        QTest::mouseClick(w.cmdTrova, Qt::LeftButton);
        QCOMPARE(w.lstPLU->count(), 3);
        const QStringList attese{"8001|ACQUA|5", "8002|PANE|3,25", "8003|SALE|40000"};
        for (int r = 0; r < 3; ++r)
            QCOMPARE(QStringList({w.lstPLU->testo(r, 1), w.lstPLU->testo(r, 2), w.lstPLU->testo(r, 3)}).join('|'),
                     attese.at(r));
        QCOMPARE(w.lblTotMovimentati->text(), QString("3"));
        w.unload();
    }

    void databaseErrorIsLogged()
    {
        TestEnv env;
        QVERIFY(Db::exec("DROP TABLE StoricoPLU"));
        const auto v = SoldQuantities::VisualizzaVendutoPLU(QDate(2024, 1, 1), QDate(2024, 1, 2));
        QVERIFY(!v.ok);
        QVERIFY(v.totale.isEmpty());
        QVERIFY(readAll(env.path("Dati/ErrorLog.dat")).contains("VisualizzaVendutoPLU"));
    }

    void periodCheck()
    {
        TestEnv env;
        QVERIFY(SoldQuantities::periodoValido(QDate(2024, 3, 1), QDate(2024, 3, 1), env.interazione()));
        QVERIFY(env.messages().isEmpty());
        QVERIFY(!SoldQuantities::periodoValido(QDate(2024, 3, 2), QDate(2024, 3, 1), env.interazione()));
        QCOMPARE(env.messages(), QStringList{"ATTENZIONE!!! - Controllare il periodo selezionato (la Data Al non può "
                                             "essere precedente alla Data Dal) e riprovare"});
    }
};

QTEST_MAIN(TestSoldQuantities)
#include "tst_soldquantities.moc"
