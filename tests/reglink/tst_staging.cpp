// The staging table and the PLU command files: exact bytes as the register reads them.
#include "core/Database.h"
#include "core/VbConvert.h"
#include "reglink/PluStaging.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QtTest>

using namespace PluStaging;

namespace {

// A host whose controls nobody looks at.
PannelloProva& pannello()
{
    static PannelloProva p;
    return p;
}

void articolo(int cod, const QVariant& barCode, const QVariant& descr, const QVariant& qta, const QVariant& costo,
              const QVariant& genere = QStringLiteral("3"), int modificato = 0, const QVariant& um = QVariant())
{
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\", Costo, "
                                    "Genere, Modificato, UnitaMisura) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                     {cod, barCode, descr, qta, costo, genere, modificato, um}));
}

void extra(int cod, const QString& barCode)
{
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (?, ?)"), {cod, barCode}));
}

int righeStaging()
{
    return valoreDb(QStringLiteral("SELECT COUNT(*) FROM MagazzinoPerQuidar")).toInt();
}

} // namespace

class TestStaging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandFileBytes_data()
    {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<bool>("modificati");
        QTest::addColumn<QByteArray>("atteso");
        QTest::newRow("full, other model") << false << false
                                           << QByteArray("P/51/8001234567895/LATTE INTERO 1L/3/0/1.20/150.00/12.000/"
                                                         "00010000/\r\n");
        QTest::newRow("full, PiruNEX") << true << false
                                       << QByteArray("P/51/8001234567895/LATTE INTERO 1L/3/0/1.20/150.00/12.000/"
                                                     "10110000/0.00/0/\r\n");
        QTest::newRow("changed, other model") << false << true
                                              << QByteArray("A/8001234567895/LATTE INTERO 1L/3/0/1.20/150.00/12.000/"
                                                            "00010000/\r\n");
        QTest::newRow("changed, PiruNEX") << true << true
                                          << QByteArray("A/8001234567895/LATTE INTERO 1L/3/0/1.20/150.00/12.000/"
                                                        "10110000/0.00/0////\r\n");
    }
    void commandFileBytes()
    {
        QFETCH(bool, flag);
        QFETCH(bool, modificati);
        QFETCH(QByteArray, atteso);
        TestEnv env;
        app().flagPiruNEX = flag;
        articolo(1, "8001234567895", "LATTE INTERO 1L", 12, 1.2, "3", 1);
        QCOMPARE(PreparaTabxInvio(modificati, pannello()), EsitoPreparazione::Preparata);
        PannelloProva p;
        QCOMPARE(ScriviFilePLU("1", p), EsitoFile::Scritto);
        QCOMPARE(readAll(env.path("FilePLU1.txt")), atteso);
        QCOMPARE(p.recTotTesti.value(p.recTotTesti.size() - 1), QString("1"));
    }

    // Numbers start at 51 and every extra barcode takes the next one; an article without barcode
    // takes none. Lines come in barcode order; an extra barcode beginning with 2 is sent whole.
    void numberingWithExtraBarcodes()
    {
        TestEnv env;
        app().flagPiruNEX = false;
        articolo(1, "1000", "UNO", 1, 1);
        articolo(2, QVariant(), "SENZA", 1, 1);
        articolo(3, "", "VUOTO", 1, 1);
        articolo(4, "3000", "QUATTRO", 1, 1);
        extra(1, "2098765000014");
        extra(1, "1500");
        extra(4, "");
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        QSqlQuery q = Db::query("SELECT Ordinale, BarCode, CodArtMagazzino FROM MagazzinoPerQuidar ORDER BY Ordinale");
        QStringList got;
        while (q.next())
            got << q.value(0).toString() + ":" + q.value(1).toString() + ":" + q.value(2).toString();
        QCOMPARE(got, QStringList({"51:1000:1", "52:1500:1", "53:2098765000014:1", "54:3000:4"}));
        QCOMPARE(ScriviFilePLU("7", pannello()), EsitoFile::Scritto);
        const QList<QByteArray> lines = readAll(env.path("FilePLU7.txt")).split('\n');
        QCOMPARE(lines.size(), 5); // four lines and the empty tail after the last LF
        QVERIFY(lines[0].startsWith("P/51/1000/UNO/"));
        QVERIFY(lines[1].startsWith("P/52/1500/UNO/"));
        QVERIFY(lines[2].startsWith("P/53/2098765000014/UNO/"));
        QVERIFY(lines[3].startsWith("P/54/3000/QUATTRO/"));
    }

    void inStoreCodes_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("sent");
        auto row = [](const char* name, const QString& stored, const QString& sent) {
            QTest::newRow(name) << stored << sent;
        };
        row("in-store 13", "2012345000017", "12345");
        row("five chars", "21234", "21234");
        row("short in-store", "2012", "12");
        row("ordinary", "8001234567895", "8001234567895");
    }
    void inStoreCodes()
    {
        QFETCH(QString, stored);
        QFETCH(QString, sent);
        QCOMPARE(BarCodeDaInviare(stored), sent);
    }

    void descriptions_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        auto row = [](const char* name, const QString& in, const QString& out) { QTest::newRow(name) << in << out; };
        row("slash percent minus", QString::fromUtf8("Caffè 1/2 kg - 10%"), QString::fromUtf8("Caffè 12 kg LESS 10"));
        row("cut at 20", "Olio extra vergine di oliva 1 litro", "Olio extra vergine d");
        row("cut then trimmed", "Pane casereccio     integrale", "Pane casereccio");
        row("plus comma quote", "A+B, l'uno", "AMOREB. luno");
        row("symbols", QString::fromUtf8("$*#^°x"), "x");
    }
    void descriptions()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(PulisciDescrizione(in), out);
    }

    void quantitiesAndPrices_data()
    {
        QTest::addColumn<QVariant>("qta");
        QTest::addColumn<QVariant>("prezzo");
        QTest::addColumn<QString>("qtaOut");
        QTest::addColumn<QString>("prezzoOut");
        auto row = [](const char* name, const QVariant& qta, const QVariant& prezzo, const QString& qtaOut,
                      const QString& prezzoOut) { QTest::newRow(name) << qta << prezzo << qtaOut << prezzoOut; };
        row("null", QVariant(), QVariant(), "900.000", "0.00");
        row("zero", 0, 0, "900.000", "0.00");
        row("negative", -3, 0.5, "900.000", "0.50");
        row("half", 12.5, 1234.5, "12.500", "1234.50");
        row("below one", 0.25, 2.675, ".250", "2.68");
        row("thousands", 12345.6789, 1234567.891, "12345.679", "1234567.89");
    }
    void quantitiesAndPrices()
    {
        QFETCH(QVariant, qta);
        QFETCH(QVariant, prezzo);
        QFETCH(QString, qtaOut);
        QFETCH(QString, prezzoOut);
        QCOMPARE(FormattaQuantita(qta), qtaOut);
        QCOMPARE(FormattaPrezzo(prezzo), prezzoOut);
    }

    // A comma anywhere would split the line in two commands.
    void noCommaInFile()
    {
        TestEnv env;
        articolo(1, "123", "Vino rosso, 0,75 l", 1.5, 3.1, "Bevande, vini");
        QVERIFY(Db::exec("INSERT INTO Reparti (Cod, Descrizione) VALUES (41, 'Bevande, vini')"));
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        QCOMPARE(ScriviFilePLU("1", pannello()), EsitoFile::Scritto);
        const QByteArray f = readAll(env.path("FilePLU1.txt"));
        QVERIFY(!f.contains(','));
        QVERIFY(f.startsWith("P/51/123/Vino rosso. 0.75 l/41/0/3.10/150.00/1.500/"));
    }

    void promotionPrice_data()
    {
        QTest::addColumn<int>("dal");
        QTest::addColumn<int>("al");
        QTest::addColumn<QString>("prezzo");
        QTest::newRow("ends today") << -5 << 0 << "0.80";
        QTest::newRow("starts today") << 0 << 3 << "0.80";
        QTest::newRow("ended yesterday") << -5 << -1 << "1.20";
        QTest::newRow("starts tomorrow") << 1 << 5 << "1.20";
    }
    void promotionPrice()
    {
        QFETCH(int, dal);
        QFETCH(int, al);
        QFETCH(QString, prezzo);
        TestEnv env;
        const QDate oggi(2026, 12, 31); // the period crosses the year end
        articolo(1, "111", "LATTE", 1, 1.2);
        QVERIFY(Db::exec("INSERT INTO Offerte (Articolo, DataDAL, DataAL, PrzScnt) VALUES (?, ?, ?, ?)",
                         {1, Vb::isoDate(oggi.addDays(dal)), Vb::isoDate(oggi.addDays(al)), 0.8}));
        // Only the first promotion row counts.
        QVERIFY(Db::exec(
            "INSERT INTO Offerte (Articolo, DataDAL, DataAL, PrzScnt) VALUES (1, '2000-01-01', '2099-01-01', 0.1)"));
        QCOMPARE(PreparaTabxInvio(false, pannello(), oggi), EsitoPreparazione::Preparata);
        QCOMPARE(valoreDb("SELECT Prezzo FROM MagazzinoPerQuidar").toString(), prezzo);
    }

    void departments_data()
    {
        QTest::addColumn<QVariant>("genere");
        QTest::addColumn<QString>("reparto");
        QTest::newRow("code") << QVariant("3") << "3";
        QTest::newRow("description") << QVariant("Frutta") << "7";
        QTest::newRow("any case") << QVariant("FRUTTA") << "7";
        QTest::newRow("apostrophe") << QVariant("Vini d'Italia") << "8";
        QTest::newRow("no match") << QVariant("Nessuno") << "1";
        QTest::newRow("null") << QVariant() << "1";
    }
    void departments()
    {
        QFETCH(QVariant, genere);
        QFETCH(QString, reparto);
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = 'Frutta' WHERE Cod = 7"));
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = ? WHERE Cod = 8", {QStringLiteral("Vini d'Italia")}));
        articolo(1, "111", "X", 1, 1, genere);
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        QCOMPARE(valoreDb("SELECT RepartoAss FROM MagazzinoPerQuidar").toString(), reparto);
    }

    // Departments that cannot be read fail the staging, which stays as it was: no article goes to
    // the registers under a department made up for it.
    void unreadableDepartmentsFailTheStaging()
    {
        TestEnv env;
        articolo(1, "111", "X", 1, 1);
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        articolo(2, "222", "Y", 1, 1, "Frutta");
        QVERIFY(Db::exec("ALTER TABLE Reparti RENAME TO Altrove"));
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Errore);
        QCOMPARE(righeStaging(), 1);
        QVERIFY(readAll(env.path("Dati/ErrorLog.dat")).contains("-PreparaTabxInvio-]"));
    }

    void modesAndEmptySelections()
    {
        TestEnv env;
        articolo(1, "111", "SEGNATO", 1, 1, "3", 1);
        articolo(2, "222", "NON SEGNATO", 1, 1, "3", 0);
        QCOMPARE(PreparaTabxInvio(true, pannello()), EsitoPreparazione::Preparata);
        QCOMPARE(righeStaging(), 1);
        QCOMPARE(valoreDb("SELECT Modificato FROM MagazzinoPerQuidar").toInt(), 1);
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        QCOMPARE(righeStaging(), 2);

        // No marked article: the staging table stays as it was.
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 0"));
        QCOMPARE(PreparaTabxInvio(true, pannello()), EsitoPreparazione::Vuota);
        QCOMPARE(righeStaging(), 2);

        // Only articles without barcode: staged but empty, and the writer leaves no file.
        QVERIFY(Db::exec("UPDATE Magazzino SET BarCode = NULL"));
        writeRaw(env.path("FilePLU3.txt"), "vecchio\r\n");
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        QCOMPARE(righeStaging(), 0);
        QCOMPARE(ScriviFilePLU("3", pannello()), EsitoFile::Vuoto);
        QVERIFY(!QFile::exists(env.path("FilePLU3.txt")));
        QVERIFY(env.interazione().notices.contains("Nessun Articolo da inviare!!!"));
    }

    // PLU numbers stop at 32767: a larger archive is refused before anything is touched.
    void tooManyRowsRefused()
    {
        TestEnv env;
        articolo(1, "000", "VECCHIO", 1, 1);
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata);
        QVERIFY(Db::exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                                        "INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, Genere) "
                                        "SELECT i, printf('%08d', i), 'X', '3' FROM n"),
                         {kMaxRighe}));
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::Preparata); // exactly kMaxRighe rows fit
        QCOMPARE(righeStaging(), kMaxRighe);
        QCOMPARE(valoreDb("SELECT MAX(Ordinale) FROM MagazzinoPerQuidar").toInt(), kUltimoOrdinale);
        extra(2, "99999999");
        env.clearMessages();
        QCOMPARE(PreparaTabxInvio(false, pannello()), EsitoPreparazione::TroppeRighe);
        QCOMPARE(righeStaging(), kMaxRighe);
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().at(0).contains("TROPPI PLU"));

        // Changed articles go by barcode ("A/" records): their numbers never reach the register.
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 1"));
        QCOMPARE(PreparaTabxInvio(true, pannello()), EsitoPreparazione::Preparata);
        QCOMPARE(righeStaging(), kMaxRighe + 1);
    }
};

QTEST_MAIN(TestStaging)
#include "tst_staging.moc"
