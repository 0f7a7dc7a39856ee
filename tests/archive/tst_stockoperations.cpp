// Bulk stock and barcode operations against a real database file.
#include "archive/ui/StockOperations.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

namespace {

void articolo(int cod, const QVariant& barCode, const QVariant& descrizione, double qta = 1, const QVariant& note = {},
              int eliminato = 0)
{
    QString err;
    const bool ok =
        Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\", "
                                "Note, Eliminato, Costo, UnitaMisura, Minimo, Genere, Fornitore, CodPV, "
                                "Costo2, PeriodoRiordino, Taglia, TipoVariazione) "
                                "VALUES (?, ?, ?, ?, ?, ?, 2.5, 'Pz', 1, '3', 'FORN', 22, 1.2, 7, 'XL', 'F')"),
                 {cod, barCode, descrizione, qta, note, eliminato}, &err);
    QVERIFY2(ok, qPrintable(err));
}

QVariant campo(int cod, const QString& colonna)
{
    return valoreDb(QStringLiteral("SELECT \"%1\" FROM Magazzino WHERE CodMateriale = ?").arg(colonna), {cod});
}

int conta(const QString& sql, const QVariantList& v = {})
{
    return valoreDb(sql, v).toInt();
}

QByteArray leggi(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestStockOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quantityTextIsReadAsItalianNumber_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("accettato");
        QTest::addColumn<double>("valore");
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("zero") << "0" << false << 0.0;
        QTest::newRow("double zero") << "00" << true << 0.0;
        QTest::newRow("above max") << "100000" << false << 0.0;
        QTest::newRow("decimal comma") << "12,5" << true << 12.5;
        QTest::newRow("slash") << "1/0" << false << 0.0;
        QTest::newRow("grouped beyond max") << "1.000.000" << false << 0.0;
        QTest::newRow("sql text") << "0; DELETE FROM Magazzino" << false << 0.0;
    }
    void quantityTextIsReadAsItalianNumber()
    {
        QFETCH(QString, testo);
        QFETCH(bool, accettato);
        QFETCH(double, valore);
        const auto v = StockOperations::quantitaPredefinita(testo);
        QCOMPARE(v.has_value(), accettato);
        if (accettato)
            QCOMPARE(*v, valore);
    }

    void stockForAllArticles()
    {
        TestEnv env;
        articolo(1, "1111", "A", 3);
        articolo(2, "2222", "B", -4, {}, 1);
        articolo(3, {}, {}, 0);

        // The largest quantity accepted.
        QVERIFY(StockOperations::applicaQuantitaPredefinita(nullptr, "99999"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE \"Quantità\" = 99999"), 3);
        QVERIFY(StockOperations::applicaQuantitaPredefinita(nullptr, "12,5"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE \"Quantità\" = 12.5"), 3);
        QVERIFY(env.messages().isEmpty());

        // A text that is no number changes nothing and says why.
        QVERIFY(!StockOperations::applicaQuantitaPredefinita(nullptr, "1/0"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE \"Quantità\" = 12.5"), 3);
        QCOMPARE(env.messages(), QStringList{"Impostare un numero intero (max 99999)"});
    }

    void extensionMakesCopiesForFreeDigits()
    {
        TestEnv env;
        articolo(5, "1234", "PANE", 4, {});
        articolo(9, "98765", "ALTRO", 1, "x");
        // The old list goes even when nothing turns out to be taken.
        QVERIFY(QFile(StockOperations::filePLUDoppio()).open(QIODevice::WriteOnly));

        env.answer({QMessageBox::Yes});
        QVERIFY(StockOperations::adeguaCodiciConConferma(nullptr));
        QCOMPARE(env.messages().last(), QString("Operazione effettuata"));
        QVERIFY(!QFile::exists(StockOperations::filePLUDoppio()));

        QCOMPARE(campo(5, "BarCode").toString(), QString("12340"));
        QCOMPARE(campo(5, "Note").toString(), QString("5"));
        // Each copy takes the highest code plus one and only the columns the copy carries.
        QStringList attese;
        for (int d = 1; d <= 9; ++d)
            attese << QString("%1|1234%2|5|PANE|4|2.5|Pz|1|3|FORN|0|22|1.2|7|||0").arg(9 + d).arg(d);
        QStringList copie;
        QSqlQuery q = Db::query("SELECT CodMateriale, BarCode, Note, Descrizione, \"Quantità\", Costo, UnitaMisura, "
                                "Minimo, Genere, Fornitore, Eliminato, CodPV, Costo2, PeriodoRiordino, Taglia, "
                                "TipoVariazione, Modificato FROM Magazzino WHERE CodMateriale > 9 ORDER BY 1");
        while (q.next()) {
            QStringList c;
            for (int k = 0; k < 17; ++k)
                c << q.value(k).toString();
            copie << c.join('|');
        }
        QCOMPARE(copie, attese);
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino"), 11);

        // A second run finds nothing left to do and leaves the list alone.
        QVERIFY(TextFile::appendLine(StockOperations::filePLUDoppio(), "keep"));
        env.clearMessages();
        env.answer({QMessageBox::Yes});
        QVERIFY(!StockOperations::adeguaCodiciConConferma(nullptr));
        QCOMPARE(env.messages().last(), QString("Nessun adeguamento da eseguire"));
        QCOMPARE(leggi(StockOperations::filePLUDoppio()), QByteArray("keep\r\n"));
    }

    void extensionListsTakenCodes()
    {
        TestEnv env;
        articolo(1, "1234", "PANE", 1, "");
        articolo(2, "12340", "CAFFÈ", 1, "già");
        articolo(3, "12347", {}, 1, "già", 1); // deleted articles hold their code too

        const auto r = StockOperations::adeguaCodici();
        QVERIFY(r.esito.ok);
        QCOMPARE(r.copie, 8);
        QCOMPARE(r.estesi, 0);
        QCOMPARE(campo(1, "BarCode").toString(), QString("1234"));
        QCOMPARE(campo(1, "Note").toString(), QString(""));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE Note = '1'"), 8);
        QCOMPARE(leggi(StockOperations::filePLUDoppio()), QByteArray("12340 - CAFF\xC8\r\n12347 - \r\n"));

        // The row that kept its code is a candidate again; its copies now hold every digit.
        const auto again = StockOperations::adeguaCodici();
        QVERIFY(again.esito.ok);
        QCOMPARE(again.copie, 0);
        QCOMPARE(again.doppi.size(), 10);
    }

    void extensionErrorStopsAndRerunResumes()
    {
        TestEnv env;
        articolo(1, "1111", "UNO");
        articolo(2, "2222", "DUE");
        articolo(3, "3333", "TRE");
        QVERIFY(Db::exec("CREATE TRIGGER guasto BEFORE INSERT ON Magazzino WHEN NEW.BarCode = '22225' "
                         "BEGIN SELECT RAISE(ABORT, 'disco guasto'); END"));

        env.answer({QMessageBox::Yes});
        QVERIFY(StockOperations::adeguaCodiciConConferma(nullptr)); // the first article was done
        QVERIFY(env.messages().last().startsWith("ATTENZIONE!!! Adeguamento dei bar code interrotto"));
        QVERIFY(leggi(env.path("Dati/ErrorLog.dat")).contains("cmdAdeguaCodici_Click"));
        QCOMPARE(campo(1, "Note").toString(), QString("1"));
        // Nothing of the failed article is half-written, and the run stopped there.
        QCOMPARE(campo(2, "BarCode").toString(), QString("2222"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE Note = '2'"), 0);
        QCOMPARE(campo(3, "BarCode").toString(), QString("3333"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino"), 12);

        QVERIFY(Db::exec("DROP TRIGGER guasto"));
        const auto r = StockOperations::adeguaCodici();
        QVERIFY(r.esito.ok);
        QCOMPARE(r.candidati, 2);
        QCOMPARE(r.copie, 18);
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino"), 30);
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE Note = '1'"), 10);
    }

    // A duplicate check that cannot read says so, and the extension stops on it with nothing
    // written: no barcode goes out unchecked.
    void duplicateCheckTellsAFailedRead()
    {
        TestEnv env;
        articolo(1, "1111", "UNO");
        QStringList doppi;
        QCOMPARE(StockOperations::VerificaBarCodeDoppio("1111", &doppi).valore, std::optional<bool>(true));
        QCOMPARE(StockOperations::VerificaBarCodeDoppio("11110", &doppi).valore, std::optional<bool>(false));
        QCOMPARE(doppi, QStringList{"1111 - UNO"});
        // The article reads fail from here on, while the barcode writes would still work.
        QVERIFY(Db::exec("ALTER TABLE Magazzino DROP COLUMN PeriodoRiordino"));
        QVERIFY(!StockOperations::VerificaBarCodeDoppio("11110", &doppi).ok);
        const auto r = StockOperations::adeguaCodici();
        QVERIFY(!r.esito.ok);
        QCOMPARE(r.completati, 0);
        QCOMPARE(campo(1, "BarCode").toString(), QString("1111"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino"), 1);
    }

    void resetClearsEveryListableMark()
    {
        TestEnv env;
        {
            Db::Transaction tr;
            for (int i = 1; i <= 1500; ++i)
                articolo(i, QString::number(100000 + i), "ART", 1, {}, i > 1400 ? 1 : 0);
            QVERIFY(tr.commit());
        }
        // Ticked: no question, no change.
        QVERIFY(!StockOperations::chiediAzzeramentoFrontalini(true));
        QVERIFY(env.messages().isEmpty());

        env.answer({QMessageBox::No});
        QVERIFY(!StockOperations::chiediAzzeramentoFrontalini());
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE TipoVariazione = 'F'"), 1500);

        env.answer({QMessageBox::Yes});
        QVERIFY(StockOperations::chiediAzzeramentoFrontalini());
        QCOMPARE(env.messages().last(), QString("Togliere il Flag di Frontalino da stampare a TUTTI i prodotti ? "));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE TipoVariazione = 'N'"), 1400);
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE TipoVariazione = 'F' AND Eliminato <> 0"), 100);
    }

    void deleteTakesDependentRows()
    {
        TestEnv env;
        articolo(7, "777", "SETTE");
        articolo(8, "888", {});
        for (int cod : {7, 8}) {
            QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (?, ?)", {cod, "x"}));
            QVERIFY(Db::exec("INSERT INTO Offerte (Articolo, DataDAL, DataAL, PrzScnt) VALUES (?, ?, ?, 1)",
                             {cod, "2024-01-01", "2024-02-01"}));
        }

        env.answer({QMessageBox::No});
        QVERIFY(!StockOperations::eliminaArticoloConConferma(nullptr, "7"));
        QCOMPARE(env.messages().last(), QString("Sicuro di eliminare: SETTE ?"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino"), 2);

        env.answer({QMessageBox::Yes});
        QVERIFY(StockOperations::eliminaArticoloConConferma(nullptr, "7"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = 7"), 0);
        QCOMPARE(conta("SELECT COUNT(*) FROM BarCodeUlteriori WHERE CodProd = 7"), 0);
        QCOMPARE(conta("SELECT COUNT(*) FROM Offerte WHERE Articolo = 7"), 0);
        QCOMPARE(conta("SELECT COUNT(*) FROM BarCodeUlteriori"), 1);
        QCOMPARE(conta("SELECT COUNT(*) FROM Offerte"), 1);

        // A Null description is asked about as the list shows it.
        env.answer({QMessageBox::No});
        StockOperations::eliminaArticoloConConferma(nullptr, "8");
        QCOMPARE(env.messages().last(), QString("Sicuro di eliminare:   ?"));

        // No selection: logged, nothing asked.
        env.clearMessages();
        QVERIFY(!StockOperations::eliminaArticoloConConferma(nullptr, ""));
        QVERIFY(env.messages().isEmpty());
        QVERIFY(leggi(env.path("Dati/ErrorLog.dat")).contains("Elimina_click"));

        // A failing dependent delete keeps the article too.
        QVERIFY(Db::exec("CREATE TRIGGER guasto BEFORE DELETE ON Offerte BEGIN SELECT RAISE(ABORT, 'no'); END"));
        env.answer({QMessageBox::Yes});
        QVERIFY(!StockOperations::eliminaArticoloConConferma(nullptr, "8"));
        QCOMPARE(conta("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = 8"), 1);
    }
};

QTEST_MAIN(TestStockOperations)
#include "tst_stockoperations.moc"
