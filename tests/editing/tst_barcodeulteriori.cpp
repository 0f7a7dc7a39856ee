// Extra barcodes: the grid's add rule, the all-or-nothing rewrite, and the scanned-code lookup
// that finds an article by its main or extra barcode.
#include "core/Database.h"
#include "editing/BarCodeUlteriori.h"
#include "editing/ui/ScannedLookup.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QtTest>

namespace {
void articolo(qint64 cod, const QString& barCode, int eliminato = 0)
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, Eliminato) VALUES (?, ?, ?, ?)",
                     {cod, QString("ART%1").arg(cod), barCode, eliminato}));
}
QStringList stored(qint64 cod)
{
    QStringList out;
    QSqlQuery q = Db::query(
        "SELECT BarCode, Inviato, CodPerTabProd FROM BarCodeUlteriori WHERE CodProd = ? ORDER BY rowid", {cod});
    while (q.next())
        out << QString("%1|%2|%3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    return out;
}
} // namespace

class TestBarCodeUlteriori : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addRule()
    {
        QStringList grid(BarCodeUlteriori::kRighe);
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "111", "999"), 0);
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "222", "999"), 1);
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "999", "999"), -1); // the main barcode
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "111", "999"), -1); // already listed
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "", "999"), -1);
        grid[0].clear();
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "333", "999"), 0); // the first empty cell
        for (int i = 0; i < grid.size(); ++i)
            grid[i] = QString::number(1000 + i);
        QCOMPARE(BarCodeUlteriori::aggiungi(grid, "444", "999"), -1); // full: dropped
    }

    void saveAddChangeRemove()
    {
        TestEnv env;
        articolo(5, "MAIN");
        QVERIFY(BarCodeUlteriori::registra("5", "5", {"A", "", "B"}));
        QCOMPARE(stored(5), QStringList({"A|0|5", "B|0|5"}));
        QCOMPARE(BarCodeUlteriori::carica("5").valore, std::optional(QStringList({"A", "B"})));
        QVERIFY(
            BarCodeUlteriori::registra("5", "5", {"A2", "", "B", "B"})); // change one; duplicates typed by hand stay
        QCOMPARE(stored(5), QStringList({"A2|0|5", "B|0|5", "B|0|5"}));
        QVERIFY(BarCodeUlteriori::registra("5", "5", QStringList(3)));
        QCOMPARE(stored(5), QStringList());
        QVERIFY(BarCodeUlteriori::registra("", "", {"X"})); // no article: nothing to do
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM BarCodeUlteriori").toInt(), 0);
    }

    void saveIsAllOrNothing()
    {
        TestEnv env;
        articolo(5, "MAIN");
        QVERIFY(BarCodeUlteriori::registra("5", "5", {"OLD1", "OLD2"}));
        QVERIFY(Db::exec("CREATE TRIGGER bad BEFORE INSERT ON BarCodeUlteriori WHEN NEW.BarCode = 'BAD' "
                         "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(!BarCodeUlteriori::registra("5", "5", {"NEW1", "BAD", "NEW2"}));
        QCOMPARE(stored(5), QStringList({"OLD1|0|5", "OLD2|0|5"}));
    }

    void scannedCodeFindsArticle_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("codice");
        const Riga<QString, QString> riga;
        riga("main barcode", "8000000000001", "1");
        riga("extra barcode", "EXTRA-1", ""); // the search box finds main barcodes only
        riga("apostrophe", "L'ORO", "2");
        riga("deleted article", "8000000000003", "");
        riga("extra of deleted article", "EXTRA-3", "");
        riga("unknown", "123", "");
        riga("empty", "", "");
    }

    void scannedCodeFindsArticle()
    {
        QFETCH(QString, scan);
        QFETCH(QString, codice);
        TestEnv env;
        articolo(1, "8000000000001");
        articolo(2, "L'ORO");
        articolo(3, "8000000000003", 1);
        QVERIFY(BarCodeUlteriori::registra("1", "1", {"EXTRA-1"}));
        QVERIFY(BarCodeUlteriori::registra("3", "3", {"EXTRA-3"}));
        QCOMPARE(CodiceDaBarCode(scan).valore.value_or(QString()), codice);
    }
};

QTEST_MAIN(TestBarCodeUlteriori)
#include "tst_barcodeulteriori.moc"
