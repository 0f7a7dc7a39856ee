// The PLU file lists the staged rows in the table's text order of BarCode (SQLite's, by code
// point), rows with the same barcode in the order they were staged, whatever wrote the table.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/TextFile.h"
#include "reglink/PluStaging.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QtTest>

using namespace PluStaging;

class TestPluFileOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileFollowsTableOrder_data()
    {
        QTest::addColumn<QVariantList>("barCodes");
        QTest::newRow("already in order") << QVariantList{"1000", "2000", "3000"};
        QTest::newRow("reversed") << QVariantList{"3000", "2000", "1000"};
        QTest::newRow("prefixes and lengths") << QVariantList{"80012", "8001", "800", "80011", "9", "10"};
        QTest::newRow("ties keep staging order") << QVariantList{"5", "4", "5", "4", "5"};
        QTest::newRow("null and empty") << QVariantList{"12", QVariant(), "", "0", QVariant()};
        QTest::newRow("case and symbols") << QVariantList{"b", "B", "a", "A", "-1", "_1", "~"};
        // Above the surrogates in UTF-16, below them by code point: the table's order wins.
        QTest::newRow("beyond the basic plane")
            << QVariantList{QString::fromUtf8("\xF0\x9F\x98\x80"), QString(QChar(0xFFFD)), QString(QChar(0xE000)),
                            QString::fromUtf8("\xC3\xA9"), "z"};
    }
    void fileFollowsTableOrder()
    {
        QFETCH(QVariantList, barCodes);
        for (const bool flag : {false, true}) {
            TestEnv env;
            app().flagPiruNEX = flag;
            int n = 51;
            for (const QVariant& bc : barCodes) {
                QVERIFY(Db::exec(QStringLiteral("INSERT INTO MagazzinoPerQuidar (Ordinale, Descrizione, BarCode, "
                                                "Quantita, Prezzo, RepartoAss, CodArtMagazzino, UM, Modificato) "
                                                "VALUES (?, ?, ?, '1.000', '2.00', '3', ?, 'Pz', ?)"),
                                 {n, QStringLiteral("ART %1").arg(n), bc, n, n % 2}));
                ++n;
            }
            // What the table itself answers for the order, told apart by description.
            QStringList atteso;
            QSqlQuery q =
                Db::query(QStringLiteral("SELECT Descrizione FROM MagazzinoPerQuidar ORDER BY BarCode ASC, rowid ASC"));
            while (q.next())
                atteso << q.value(0).toString();
            PannelloProva pannello;
            QCOMPARE(ScriviFilePLU(QStringLiteral("X"), pannello), EsitoFile::Scritto);
            const QStringList righe = TextFile::decode(readAll(percorsoFilePLU(QStringLiteral("X"))))
                                          .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            QCOMPARE(righe.size(), atteso.size());
            for (qsizetype i = 0; i < righe.size(); ++i)
                QVERIFY2(righe.at(i).contains(QLatin1Char('/') + atteso.at(i) + QLatin1Char('/')),
                         qPrintable(righe.at(i)));
        }
    }
};

QTEST_MAIN(TestPluFileOrder)
#include "tst_plufileorder.moc"
