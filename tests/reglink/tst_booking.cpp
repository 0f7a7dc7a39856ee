// Booking received sales into stock and history: field positions, extra barcodes, hostile files,
// and the all-or-nothing rule of one file.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "reglink/StockBooking.h"
#include "support/TestEnv.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace StockBooking;

namespace {

const QDate kOggi(2026, 3, 9);

void articolo(int cod, const QString& barCode, const QVariant& qta)
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\") VALUES (?, ?, 'X', ?)",
                     {cod, barCode, qta}));
}

QVariant stock(int cod)
{
    return valoreDb("SELECT \"Quantità\" FROM Magazzino WHERE CodMateriale = ?", {cod});
}

QStringList storico()
{
    QStringList out;
    QSqlQuery q = Db::query("SELECT DataModif, EAN, Qta FROM StoricoPLU ORDER BY rowid");
    while (q.next())
        out << q.value(0).toString() + "|" + q.value(1).toString() + "|" + Vb::cstr(q.value(2).toDouble());
    return out;
}

// A reply line as a register sends it over the serial line: header fields, the barcode and the
// quantity at the given fields, framing characters around it.
QString riga(int posBar, int posQta, const QString& bar, const QString& qta, int pezzi = 16)
{
    QStringList p;
    for (int i = 0; i < pezzi; ++i)
        p << QString::number(i);
    p[0] = QString(QChar(6)) + QChar(2) + "00";
    p[posBar] = bar;
    p[posQta] = qta;
    p[pezzi - 1] = "37" + QString(QChar(3));
    return p.join('/');
}

void scriviRighe(const QString& path, const QStringList& righe)
{
    QByteArray b;
    for (const QString& r : righe)
        b += TextFile::encode(r) + "\r\n";
    writeRaw(path, b);
}

QByteArray errorLog(const TestEnv& env)
{
    return readAll(env.path("Dati/ErrorLog.dat"));
}

} // namespace

class TestBooking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldPositions_data()
    {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<int>("modo");
        QTest::addColumn<int>("posBar");
        QTest::addColumn<int>("posQta");
        QTest::newRow("PiruNEX, by article") << true << 1 << 3 << 12;
        QTest::newRow("PiruNEX, dump") << true << 2 << 3 << 12;
        QTest::newRow("other, by article") << false << 1 << 3 << 12;
        QTest::newRow("other, dump") << false << 2 << 4 << 8;
    }
    void fieldPositions()
    {
        QFETCH(bool, flag);
        QFETCH(int, modo);
        QFETCH(int, posBar);
        QFETCH(int, posQta);
        TestEnv env;
        app().flagPiruNEX = flag;
        articolo(1, "8012345", 10);
        const QString f = env.path("PLUQuidar1.txt");
        scriviRighe(f, {riga(posBar, posQta, "8012345", "1500")});
        const EsitoPrenotazione e = AggiornaQuantitaDaFilePLU(f, modo, kOggi);
        QVERIFY(e.ok);
        QCOMPARE(e.registrati, 1);
        QCOMPARE(stock(1).toDouble(), 8.5);
        QCOMPARE(storico(), QStringList({"2026-03-09|8012345|1,5"}));
    }

    // Selling the whole stock books it, and an empty quantity field books a sale of 0.
    void quantities_data()
    {
        QTest::addColumn<QVariant>("prima");
        QTest::addColumn<QString>("venduto");
        QTest::addColumn<double>("dopo");
        QTest::addColumn<QString>("qta");
        QTest::newRow("whole stock") << QVariant(3) << "3000" << 0.0 << "3";
        QTest::newRow("more than stock") << QVariant(1) << "2500" << -1.5 << "2,5";
        QTest::newRow("empty field") << QVariant(4) << "" << 4.0 << "0";
        QTest::newRow("empty field, no stock") << QVariant(0) << "" << 0.0 << "0";
        QTest::newRow("null stock") << QVariant() << "2000" << -2.0 << "2";
        QTest::newRow("blanks") << QVariant(5) << " 1000 " << 4.0 << "1";
    }
    void quantities()
    {
        QFETCH(QVariant, prima);
        QFETCH(QString, venduto);
        QFETCH(double, dopo);
        QFETCH(QString, qta);
        TestEnv env;
        app().flagPiruNEX = true;
        articolo(1, "111", prima);
        const QString f = env.path("r.txt");
        scriviRighe(f, {riga(3, 12, "111", venduto)});
        QVERIFY(AggiornaQuantitaDaFilePLU(f, 1, kOggi).ok);
        QCOMPARE(stock(1).toDouble(), dopo);
        QCOMPARE(storico(), QStringList({"2026-03-09|111|" + qta}));
    }

    void extraBarcodesAndRepeats()
    {
        TestEnv env;
        app().flagPiruNEX = true;
        articolo(1, "111", 10);
        articolo(2, "222", 10);
        articolo(3, "d'oro", 10);
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, '999')"));
        // 222 is the main barcode of article 2 and an extra barcode of article 1: the extra wins.
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, '222')"));
        const QString f = env.path("r.txt");
        scriviRighe(f, {riga(3, 12, "999", "1000"), riga(3, 12, "222", "2000"), riga(3, 12, "999", "500"),
                        riga(3, 12, "d'oro", "1000"), riga(3, 12, "404", "1000"), riga(3, 12, "", "1000")});
        const EsitoPrenotazione e = AggiornaQuantitaDaFilePLU(f, 1, kOggi);
        QVERIFY(e.ok);
        QCOMPARE(e.registrati, 4);
        QCOMPARE(e.ignorati, 2);
        QCOMPARE(stock(1).toDouble(), 6.5);
        QCOMPARE(stock(2).toDouble(), 10.0);
        QCOMPARE(stock(3).toDouble(), 9.0);
        QCOMPARE(storico(),
                 QStringList({"2026-03-09|999|1", "2026-03-09|222|2", "2026-03-09|999|0,5", "2026-03-09|d'oro|1"}));
    }

    void lineEndsAndEncoding_data()
    {
        QTest::addColumn<QByteArray>("fine");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void lineEndsAndEncoding()
    {
        QFETCH(QByteArray, fine);
        TestEnv env;
        app().flagPiruNEX = true;
        articolo(1, QString::fromUtf8("CAFFÈ1"), 10);
        articolo(2, "222", 10);
        const QString f = env.path("r.txt");
        writeRaw(f, TextFile::encode(riga(3, 12, QString::fromUtf8("CAFFÈ1"), "1000")) + fine +
                        TextFile::encode(riga(3, 12, "222", "1000")) + fine);
        QVERIFY(TextFile::encode(QString::fromUtf8("È")) == QByteArray("\xC8"));
        QCOMPARE(AggiornaQuantitaDaFilePLU(f, 1, kOggi).registrati, 2);
        QCOMPARE(stock(1).toDouble(), 9.0);
        QCOMPARE(stock(2).toDouble(), 9.0);
    }

    // Bad records book nothing and are counted; the good ones among them still book.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<int>("malformati");
        const QByteArray buono = TextFile::encode(riga(3, 12, "111", "1000")) + "\r\n";
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n\n\r") + buono << 0;
        QTest::newRow("no slash") << QByteArray("garbage\r\n") + buono << 1;
        QTest::newRow("truncated") << QByteArray("\x06\x02"
                                                 "00/00/00/111/DESCR/3\r\n") +
                                          buono
                                   << 1;
        QTest::newRow("too few fields") << TextFile::encode(riga(3, 11, "111", "1000", 12)) + "\r\n" + buono << 1;
        QTest::newRow("quantity not a number") << TextFile::encode(riga(3, 12, "111", "1x00")) + "\r\n" + buono << 1;
        QTest::newRow("quantity infinite") << TextFile::encode(riga(3, 12, "111", "1e999")) + "\r\n" + buono << 1;
        QTest::newRow("huge line") << QByteArray(2 * 1024 * 1024, '/') + "\r\n" + buono << 0;
        QTest::newRow("huge barcode") << TextFile::encode(riga(3, 12, QString(100000, '1'), "1000")) + "\r\n" + buono
                                      << 1;
        QTest::newRow("nul bytes") << QByteArray("\0\0/\0/\0\r\n", 9) + buono << 1;
        QTest::newRow("no final line end") << buono.chopped(2) << 0;
    }
    void hostileFiles()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(int, malformati);
        TestEnv env;
        app().flagPiruNEX = true;
        articolo(1, "111", 10);
        const QString f = env.path("r.txt");
        writeRaw(f, contenuto);
        const EsitoPrenotazione e = AggiornaQuantitaDaFilePLU(f, 1, kOggi);
        QVERIFY(e.ok);
        QCOMPARE(e.malformati, malformati);
        const bool conBuono = contenuto.contains("/111/");
        QCOMPARE(e.registrati, conBuono ? 1 : 0);
        QCOMPARE(stock(1).toDouble(), conBuono ? 9.0 : 10.0);
        QCOMPARE(storico().size(), conBuono ? 1 : 0);
        QCOMPARE(errorLog(env).contains("record non validi"), malformati > 0);
    }

    void randomBytesNeverCrash()
    {
        TestEnv env;
        app().flagPiruNEX = false;
        articolo(1, "111", 10);
        QRandomGenerator rng(20261209);
        const QString f = env.path("r.txt");
        for (int round = 0; round < 50; ++round) {
            QByteArray b(int(rng.bounded(1, 4000)), Qt::Uninitialized);
            for (char& c : b)
                c = char(rng.bounded(256));
            writeRaw(f, b);
            QVERIFY(AggiornaQuantitaDaFilePLU(f, 2, kOggi).ok);
        }
    }

    // A record that fails to book undoes the whole file: stock and history stay together.
    void failureRollsBackWholeFile()
    {
        TestEnv env;
        app().flagPiruNEX = true;
        articolo(1, "111", 10);
        articolo(2, "BOOM", 10);
        QVERIFY(Db::exec("CREATE TRIGGER boom BEFORE INSERT ON StoricoPLU WHEN NEW.EAN = 'BOOM' "
                         "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
        const QString f = env.path("r.txt");
        scriviRighe(f, {riga(3, 12, "111", "1000"), riga(3, 12, "BOOM", "1000")});
        const EsitoPrenotazione e = AggiornaQuantitaDaFilePLU(f, 1, kOggi);
        QVERIFY(!e.ok);
        QCOMPARE(stock(1).toDouble(), 10.0);
        QCOMPARE(stock(2).toDouble(), 10.0);
        QVERIFY(storico().isEmpty());
        QVERIFY(errorLog(env).contains("AggiornaQuantitaDaFilePLU"));
    }

    // A file missing or that cannot be read (this process's memory from address 0: EIO on the
    // first read) is no booking, not an empty one.
    void missingFile()
    {
        TestEnv env;
        articolo(1, "111", 10);
        QVERIFY(!AggiornaQuantitaDaFilePLU(env.path("assente.txt"), 1, kOggi).ok);
        QVERIFY(QFile::link("/proc/self/mem", env.path("illeggibile.txt")));
        QVERIFY(!AggiornaQuantitaDaFilePLU(env.path("illeggibile.txt"), 1, kOggi).ok);
        QVERIFY(!AcquisisciFilePLU(kOggi).ok);
        QCOMPARE(stock(1).toDouble(), 10.0);
    }

    // PLUQuidar.txt holds the registers' stock: it replaces the stock, the history gets the decrease.
    void registerStockFile()
    {
        TestEnv env;
        articolo(1, "111", 10);
        articolo(2, "222", 4);
        articolo(3, "333", 7);
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (3, '444')"));
        scriviRighe(env.path("PLUQuidar.txt"), {riga(3, 11, "111", "7500", 13), riga(3, 11, "222", "4000", 13),
                                                riga(3, 11, "444", "1000", 13), riga(3, 10, "333", "1000", 11)});
        const EsitoPrenotazione e = AcquisisciFilePLU(kOggi);
        QVERIFY(e.ok);
        QCOMPARE(e.registrati, 1);
        QCOMPARE(e.malformati, 1);
        QCOMPARE(stock(1).toDouble(), 7.5);
        QCOMPARE(stock(2).toDouble(), 4.0);
        QCOMPARE(stock(3).toDouble(), 7.0); // extra barcodes are not looked up here
        QCOMPARE(storico(), QStringList({"2026-03-09|111|2,5"}));
    }
};

QTEST_MAIN(TestBooking)
#include "tst_booking.moc"
