// Articles in Magazzino: the new-code rule, checks, save of new and edited rows with their marks,
// the department column, a failed deletion, and the editor's small text rules.
#include "core/Database.h"
#include "core/IniFile.h"
#include "editing/ArticleRules.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QtTest>

namespace {

void articolo(qint64 cod, const QString& barCode, const QString& descr = "ART")
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", Costo, Costo2) "
                     "VALUES (?, ?, ?, 1, 2, 1)",
                     {cod, descr, barCode}));
}

ArticoloEditor completo()
{
    ArticoloEditor a;
    a.descrizione = "PASTA DI SEMOLA";
    a.quantita = "12,5";
    a.iva = "10";
    a.unita = "Pz";
    a.costo = "1.234,50";
    a.taglia = "XL";
    a.colore = "Rosso";
    a.barCode = "8001234567890";
    a.codFornitore = "F-1";
    a.reparto = "3#Reparto3";
    a.fornitore = "d'angelo srl";
    a.acquisto = "0,99";
    a.pesoConf = "500";
    return a;
}

QVariantList riga(qint64 cod)
{
    QSqlQuery q =
        Db::query("SELECT Descrizione, \"Quantità\", Costo, UnitaMisura, Minimo, Genere, Fornitore, Eliminato, "
                  "Taglia, Colore, TipoMateriale, BarCode, Costo2, CodProdottoFornitore, CodPV, Modificato, "
                  "TipoVariazione FROM Magazzino WHERE CodMateriale = ?",
                  {cod});
    QVariantList out;
    if (q.next())
        for (int i = 0; i < 17; ++i)
            out << q.value(i);
    return out;
}

} // namespace

class TestArticleRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newCode()
    {
        TestEnv env;
        QCOMPARE(*ArticleRules::nuovoCodice(), QString("1"));
        articolo(9, "A");
        articolo(10, "B");
        QCOMPARE(*ArticleRules::nuovoCodice(), QString("11"));
    }

    void saveNewArticle()
    {
        TestEnv env;
        QString codice;
        QVERIFY(ArticleRules::salva(completo(), QString(), &codice));
        QCOMPARE(codice, QString("1"));
        const QVariantList r = riga(1);
        QCOMPARE(r.size(), 17);
        QCOMPARE(r[0].toString(), QString("PASTA DI SEMOLA"));
        QCOMPARE(r[1].toDouble(), 12.5); // Italian number texts converted before binding
        QCOMPARE(r[2].toDouble(), 1234.5);
        QCOMPARE(r[4].toInt(), 0); // Minimo
        QCOMPARE(r[6].toString(), QString("D'ANGELO SRL"));
        QCOMPARE(r[7].toInt(), 0); // Eliminato
        QCOMPARE(r[8].toString(), QString("XL"));
        QCOMPARE(r[9].toString(), QString("Rosso"));
        QCOMPARE(r[10].toString(), QString("500"));
        QCOMPARE(r[12].toDouble(), 0.99);
        QCOMPARE(r[14].toDouble(), 10.0);
        QCOMPARE(r[15].toInt(), 1); // Modificato
        QCOMPARE(r[16].toString(), QString("F"));
    }

    void saveEditedArticle()
    {
        TestEnv env;
        articolo(7, "111");
        QVERIFY(Db::exec("UPDATE Magazzino SET CodPV = 22, Minimo = 4, Modificato = 0, TipoVariazione = 'N', "
                         "Eliminato = 0 WHERE CodMateriale = 7"));
        ArticoloEditor a = completo();
        a.barCode = "111";
        a.iva.clear(); // an empty VAT box keeps the stored rate
        QString codice;
        QVERIFY(ArticleRules::salva(a, "7", &codice));
        QCOMPARE(codice, QString("7"));
        const QVariantList r = riga(7);
        QCOMPARE(r[14].toDouble(), 22.0);
        QCOMPARE(r[4].toInt(), 0);
        QCOMPARE(r[15].toInt(), 1);
        QCOMPARE(r[16].toString(), QString("F"));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 1);
        // A row that vanished is a failed save, never a silent one.
        QVERIFY(!ArticleRules::salva(a, "99"));
    }

    void numbersThatAreNotNumbersAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("campo");
        QTest::newRow("quantity") << "quantita" << int(ArticleRules::Campo::Qta);
        QTest::newRow("sale price") << "costo" << int(ArticleRules::Campo::Costo);
        QTest::newRow("purchase") << "acquisto" << int(ArticleRules::Campo::Acquisto);
        QTest::newRow("vat") << "iva" << int(ArticleRules::Campo::Iva);
    }

    void numbersThatAreNotNumbersAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(int, campo);
        TestEnv env;
        ArticoloEditor a = completo();
        QString* f = field == "quantita"   ? &a.quantita
                     : field == "costo"    ? &a.costo
                     : field == "acquisto" ? &a.acquisto
                                           : &a.iva;
        *f = "1,2,3";
        const auto v = ArticleRules::verifica(a, {});
        QCOMPARE(v.esito, ArticleRules::Verifica::NonNumerico);
        QCOMPARE(int(v.campo), campo);
        QVERIFY(v.messaggio.startsWith("Formato '"));
        QVERIFY(!ArticleRules::salva(a, {}));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 0);
    }

    // What the registers take: a value at its limit passes and is stored, one just past it is
    // refused with the reason and the box that holds it.
    void limits_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("campo");
        QTest::addColumn<double>("stored");
        const QString qta = "'Q.tà Iniziale' troppo alta: al massimo 99.999.999,00";
        const QString prezzo = "'%1' troppo alto: il massimo accettato dalle casse è 999.999,99";
        const int q = int(ArticleRules::Campo::Qta), c = int(ArticleRules::Campo::Costo),
                  a = int(ArticleRules::Campo::Acquisto), i = int(ArticleRules::Campo::Iva);
        QTest::newRow("stock at the limit") << "quantita"
                                            << "99999999"
                                            << "" << q << 99999999.0;
        QTest::newRow("stock at the negative limit") << "quantita"
                                                     << "-99999999"
                                                     << "" << q << -99999999.0;
        QTest::newRow("stock past the limit") << "quantita"
                                              << "100000000" << qta << q << 0.0;
        QTest::newRow("stock past the negative limit") << "quantita"
                                                       << "-100000000" << qta << q << 0.0;
        QTest::newRow("VAT 100") << "iva"
                                 << "100"
                                 << "" << i << 100.0;
        QTest::newRow("VAT past 100") << "iva"
                                      << "100,01"
                                      << "'IVA' non valida: al massimo 100" << i << 0.0;
        QTest::newRow("sale price at the limit") << "costo"
                                                 << "999.999,99"
                                                 << "" << c << 999999.99;
        QTest::newRow("sale price past the limit") << "costo"
                                                   << "1000000" << prezzo.arg("Prezzo di Vendita") << c << 0.0;
        QTest::newRow("purchase at the limit") << "acquisto"
                                               << "999999,99"
                                               << "" << a << 999999.99;
        QTest::newRow("purchase past the limit")
            << "acquisto"
            << "999999,991" << prezzo.arg("Prezzo di Acquisto senza IVA") << a << 0.0;
    }
    void limits()
    {
        QFETCH(QString, field);
        QFETCH(QString, valore);
        QFETCH(QString, message);
        QFETCH(int, campo);
        QFETCH(double, stored);
        TestEnv env;
        ArticoloEditor a = completo();
        const QHash<QString, QString*> campi{
            {"quantita", &a.quantita}, {"costo", &a.costo}, {"acquisto", &a.acquisto}, {"iva", &a.iva}};
        *campi.value(field) = valore;
        const auto v = ArticleRules::verifica(a, {});
        QCOMPARE(v.messaggio, message);
        if (!message.isEmpty()) {
            QCOMPARE(v.esito, ArticleRules::Verifica::NonNumerico);
            QCOMPARE(int(v.campo), campo);
            return;
        }
        QCOMPARE(v.esito, ArticleRules::Verifica::Ok);
        QVERIFY(ArticleRules::salva(a, {}));
        const QHash<QString, int> colonna{{"quantita", 1}, {"costo", 2}, {"acquisto", 12}, {"iva", 14}};
        QCOMPARE(riga(1).value(colonna.value(field)).toDouble(), stored);
    }

    void requiredFieldsInOrder()
    {
        TestEnv env;
        ArticoloEditor a = completo();
        a.quantita.clear();
        a.costo.clear();
        QCOMPARE(ArticleRules::verifica(a, {}).campo, ArticleRules::Campo::Qta);
        a = completo();
        a.fornitore.clear();
        QCOMPARE(ArticleRules::verifica(a, {}).esito, ArticleRules::Verifica::CampoVuoto);
        QCOMPARE(ArticleRules::verifica(a, {}).campo, ArticleRules::Campo::Fornitore);
        a = completo();
        a.descrizione = "   "; // blanks count as filled
        QCOMPARE(ArticleRules::verifica(a, {}).esito, ArticleRules::Verifica::Ok);
    }

    void duplicateBarcode()
    {
        TestEnv env;
        articolo(1, "8001234567890");
        articolo(2, "O'NEIL-1"); // an apostrophe is just a character
        ArticoloEditor a = completo();
        QCOMPARE(ArticleRules::verifica(a, {}).esito, ArticleRules::Verifica::BarCodeDoppio);
        QCOMPARE(ArticleRules::verifica(a, {}).messaggio,
                 QString("Attenzione codice a barre già presente - Verificare - Impossibile procedere"));
        QCOMPARE(ArticleRules::verifica(a, "1").esito, ArticleRules::Verifica::Ok);            // keeps its own
        QCOMPARE(ArticleRules::verifica(a, "2").esito, ArticleRules::Verifica::BarCodeDoppio); // nor another's
        articolo(3, "8001234567890"); // shared from before: each keeps it
        QCOMPARE(ArticleRules::verifica(a, "3").esito, ArticleRules::Verifica::Ok);
        a.barCode = "O'NEIL-1";
        QCOMPARE(ArticleRules::verifica(a, {}).esito, ArticleRules::Verifica::BarCodeDoppio);
        a.barCode.clear();
        QCOMPARE(ArticleRules::verifica(a, {}).esito, ArticleRules::Verifica::Ok);
    }

    void supplierCodeQuestion_data()
    {
        QTest::addColumn<QString>("setting"); // empty: key missing
        QTest::addColumn<QString>("codForn");
        QTest::addColumn<bool>("asks");
        const Riga<QString, QString, bool> riga;
        riga("missing key", "", "", false);
        riga("vero, no code", "vero", "", true);
        riga("VERO, code", "VERO", "X1", false);
        riga("falso", "Falso", "", false);
        riga("neither vero nor falso", "Si", "", false);
    }

    void supplierCodeQuestion()
    {
        QFETCH(QString, setting);
        QFETCH(QString, codForn);
        QFETCH(bool, asks);
        TestEnv env;
        if (!setting.isEmpty())
            QVERIFY(ScriviINI(env.setup(), "Config", "VerificaCodiceFornitore", setting));
        ArticoloEditor a = completo();
        a.codFornitore = codForn;
        const auto v = ArticleRules::verifica(a, {});
        QCOMPARE(v.esito == ArticleRules::Verifica::ChiediCodFornitore, asks);
        if (asks)
            QCOMPARE(v.messaggio, QString("Codice Articolo del fornitore non inserito - Proseguire cmq?"));
        if (setting.isEmpty())
            QCOMPARE(LeggiINI(env.setup(), "Config", "VerificaCodiceFornitore", "?"), QString("Falso"));
    }

    void departmentAsCodeOrDescription_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("genere");
        const Riga<QString, QString> riga;
        riga("missing: description", "", "FRUTTA");
        riga("falso: description", "FALSO", "FRUTTA");
        riga("vero: code", "Vero", "3");
    }

    void departmentAsCodeOrDescription()
    {
        QFETCH(QString, setting);
        QFETCH(QString, genere);
        TestEnv env;
        if (!setting.isEmpty())
            QVERIFY(ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", setting));
        ArticoloEditor a = completo();
        a.reparto = "3#FRUTTA";
        QVERIFY(ArticleRules::salva(a, {}));
        QCOMPARE(valoreDb("SELECT Genere FROM Magazzino").toString(), genere);
        QCOMPARE(LeggiINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "?"), setting.isEmpty() ? "Falso" : setting);
    }

    void loadKeepsStoredNumbers()
    {
        TestEnv env;
        QVERIFY(Db::exec(
            "INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, Costo2, CodPV, Taglia, "
            "Colore, Genere, TipoMateriale) VALUES (5, 'X', 2.5, 1234.567, 0.1, NULL, 'M', 'Blu', '3', '500')"));
        const auto a = ArticleRules::carica("5").valore;
        QVERIFY(a);
        QCOMPARE(a->quantita, QString("2,5"));
        QCOMPARE(a->costo, QString("1234,567")); // more than two decimals are not rounded away
        QCOMPARE(a->acquisto, QString("0,10"));
        QCOMPARE(a->iva, QString("0"));
        QCOMPARE(a->taglia, QString("M"));
        QCOMPARE(a->colore, QString("Blu"));
        QCOMPARE(a->pesoConf, QString("500"));
        QVERIFY(!ArticleRules::carica("6").valore);
        QVERIFY(!ArticleRules::carica("abc").valore);
    }

    // A failure in the last step of a delete leaves the article whole.
    void failedDeleteLeavesTheArticleWhole()
    {
        TestEnv env;
        articolo(13, "B");
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode, CodPerTabProd) VALUES (13, 'Y', '13')"));
        QVERIFY(Db::exec("INSERT INTO Offerte (Articolo, DataDAL, DataAL) VALUES (13, '2030-01-01', '2030-01-02')"));
        QVERIFY(Db::exec("CREATE TRIGGER no_del BEFORE DELETE ON Offerte BEGIN SELECT RAISE(ABORT, 'no'); END"));
        QVERIFY(!ArticleRules::elimina("13"));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino WHERE CodMateriale = 13").toInt(), 1);
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM BarCodeUlteriori WHERE CodProd = 13").toInt(), 1);
    }

    void descriptionCleaning()
    {
        QCOMPARE(ArticleRules::pulisciDescrizione("  50% Pasta/Riso, L''olio*#^° \\ fine  "),
                 QString("50 Pasta Riso. L  olio   fine"));
        QCOMPARE(ArticleRules::pulisciDescrizione("\tTAB "), QString("\tTAB"));
    }
};

QTEST_MAIN(TestArticleRules)
#include "tst_articlerules.moc"
