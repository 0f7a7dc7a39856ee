// Sold quantities by period from the quantity history.
#include "archive/SoldQuantities.h"
#include "core/Database.h"
#include "support/TestEnv.h"

#include <QFile>
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
