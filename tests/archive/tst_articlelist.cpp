// The article list load: the column texts other windows read back, Null handling, colours,
// mark-up rounding, the 1000-row cap, deleted rows, the filters and the shelf-label mark.
#include "archive/ArticleList.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

// Inserts one article; unspecified columns keep the table's defaults (Null for most).
int inserisci(const QVariantMap& campi)
{
    static int prossimo = 1;
    QVariantMap c = campi;
    if (!c.contains(QStringLiteral("CodMateriale")))
        c.insert(QStringLiteral("CodMateriale"), prossimo++);
    QStringList nomi, segni;
    QVariantList valori;
    for (auto it = c.cbegin(); it != c.cend(); ++it) {
        nomi << QLatin1Char('"') + it.key() + QLatin1Char('"');
        segni << QStringLiteral("?");
        valori << it.value();
    }
    QString err;
    const bool ok = Db::exec(QStringLiteral("INSERT INTO Magazzino (%1) VALUES (%2)")
                                 .arg(nomi.join(QLatin1Char(',')), segni.join(QLatin1Char(','))),
                             valori, &err);
    if (!ok)
        qWarning() << err;
    return c.value(QStringLiteral("CodMateriale")).toInt();
}

QVariantMap articolo(double costo, QVariant costo2, QVariant codPV, QVariant qta = 5)
{
    return {{QStringLiteral("Descrizione"), QStringLiteral("Articolo")},
            {QStringLiteral("Quantità"), qta},
            {QStringLiteral("Minimo"), 0},
            {QStringLiteral("UnitaMisura"), QStringLiteral("Pz")},
            {QStringLiteral("Costo"), costo},
            {QStringLiteral("Costo2"), costo2},
            {QStringLiteral("CodPV"), codPV}};
}

const QString kTutti = QStringLiteral("Select * from Magazzino order by CodMateriale");

int righeLog()
{
    QFile f(QDir(Paths::datiFolder()).filePath(QStringLiteral("ErrorLog.dat")));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return int(f.readAll().count('\n'));
}

QString tipoVariazione(int cod)
{
    const QVariant v = valoreDb(QStringLiteral("SELECT TipoVariazione FROM Magazzino WHERE CodMateriale=?"), {cod});
    return v.isNull() ? QStringLiteral("<null>") : v.toString();
}

} // namespace

class TestArticleList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnTexts()
    {
        TestEnv env;
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione='Casalinghi' WHERE Cod=3")));
        inserisci({{QStringLiteral("CodMateriale"), 42},
                   {QStringLiteral("Descrizione"), QStringLiteral("L'Oreal shampoo")},
                   {QStringLiteral("Genere"), QStringLiteral("3")},
                   {QStringLiteral("Quantità"), 1234.5},
                   {QStringLiteral("Minimo"), 2},
                   {QStringLiteral("UnitaMisura"), QStringLiteral("Pz")},
                   {QStringLiteral("Costo"), 20},
                   {QStringLiteral("Taglia"), QStringLiteral("XL")},
                   {QStringLiteral("Colore"), QStringLiteral("Rosso")},
                   {QStringLiteral("TipoMateriale"), QStringLiteral("250ml")},
                   {QStringLiteral("BarCode"), QStringLiteral("0800123456789")},
                   {QStringLiteral("Costo2"), 10},
                   {QStringLiteral("CodProdottoFornitore"), QStringLiteral("F-77")},
                   {QStringLiteral("CodPV"), 22},
                   {QStringLiteral("Fornitore"), QStringLiteral("Rossi Srl")}});
        const auto r = ArticleList::leggi(kTutti);
        QVERIFY(r.aperto);
        QCOMPARE(r.righe.size(), 1);
        const QStringList expected = {"42",    "L'Oreal shampoo", "Casalinghi", "1.234,50", "2,00",  "Pz",
                                      "20,00", "Rossi Srl",       "XL",         "Rosso",    "250ml", "0800123456789",
                                      "",      "10,00",           "F-77",       "22",       "250ml", "63,93"};
        QCOMPARE(r.righe.first().testo, expected);
        QCOMPARE(ArticleList::testoValore(r.valore), QStringLiteral("24690,000000"));
    }

    void departmentAndPlaceholderTexts_data()
    {
        QTest::addColumn<QString>("colonna");
        QTest::addColumn<QVariant>("valore");
        QTest::addColumn<int>("cella");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("genere code") << "Genere" << QVariant(QStringLiteral("7")) << 2 << "Reparto7";
        QTest::newRow("genere unknown code") << "Genere" << QVariant(QStringLiteral("77")) << 2 << "77";
        QTest::newRow("genere description") << "Genere" << QVariant(QStringLiteral("Profumeria")) << 2 << "Profumeria";
        QTest::newRow("genere beyond 16 bit") << "Genere" << QVariant(QStringLiteral("40000")) << 2 << "";
        QTest::newRow("genere null") << "Genere" << QVariant() << 2 << "";
        QTest::newRow("descrizione null") << "Descrizione" << QVariant() << 1 << " ";
        QTest::newRow("fornitore null") << "Fornitore" << QVariant() << 7 << "***";
        QTest::newRow("tipo *** shown") << "TipoMateriale" << QVariant(QStringLiteral("***")) << 10 << "***";
        QTest::newRow("tipo *** no weight") << "TipoMateriale" << QVariant(QStringLiteral("***")) << 16 << "";
        QTest::newRow("unit null") << "UnitaMisura" << QVariant() << 5 << "";
        QTest::newRow("minimum null") << "Minimo" << QVariant() << 4 << "";
        QTest::newRow("vat unformatted") << "CodPV" << QVariant(4.5) << 15 << "4,5";
        QTest::newRow("barcode null") << "BarCode" << QVariant() << 11 << "";
    }

    void departmentAndPlaceholderTexts()
    {
        QFETCH(QString, colonna);
        QFETCH(QVariant, valore);
        QFETCH(int, cella);
        QFETCH(QString, atteso);
        TestEnv env;
        QVariantMap a = articolo(20, 10, 22);
        a.insert(QStringLiteral("Descrizione"), QStringLiteral("x"));
        a.insert(colonna, valore);
        inserisci(a);
        const auto r = ArticleList::leggi(kTutti);
        QCOMPARE(r.righe.size(), 1);
        QCOMPARE(r.righe.first().testo.at(cella), atteso);
    }

    void nullQuantityAndPrice()
    {
        TestEnv env;
        inserisci(articolo(20, 5, 22, QVariant())); // Null stock: nothing to the value, not red
        inserisci(articolo(3, 5, 22, 2));           // 6
        QVariantMap senzaPrezzo = articolo(0, 5, 22, 4);
        senzaPrezzo.insert(QStringLiteral("Costo"), QVariant());
        inserisci(senzaPrezzo); // Null price: nothing, no mark-up
        const auto r = ArticleList::leggi(kTutti);
        QCOMPARE(r.righe.size(), 3);
        QCOMPARE(r.righe[0].testo.at(3), QString());
        QVERIFY(!r.righe[0].colore.at(0).isValid());
        QCOMPARE(r.righe[2].testo.at(6), QString());
        QCOMPARE(r.righe[2].testo.at(17), QString());
        QCOMPARE(r.valore, 6.0);
        QVERIFY(righeLog() >= 1); // the Null cells were logged
    }

    void markup_data()
    {
        QTest::addColumn<double>("costo");
        QTest::addColumn<QVariant>("costo2");
        QTest::addColumn<QVariant>("codPV");
        QTest::addColumn<QString>("prezzoA");
        QTest::addColumn<QString>("ricarico");
        QTest::addColumn<bool>("blu");
        const Riga<double, QVariant, QVariant, QString, QString, bool> riga;
        riga("63,93", 20.0, 10, 22, "10,00", "63,93", false);
        riga("22,95", 15.0, 10, 22, "10,00", "22,95", true);
        riga("zero", 12.2, 10, 22, "10,00", "0,00", true);
        riga("35,00 edge", 16.47, 10, 22, "10,00", "35,00", false);
        riga("34,92", 16.46, 10, 22, "10,00", "34,92", true);
        riga("negative", 10.0, 10, 22, "10,00", "-18,03", true);
        riga("purchase null", 20.0, {}, 22, "", "", false);
        riga("purchase zero", 20.0, 0, 22, "0,00", "", false);
        riga("purchase half cent", 20.0, 0.004, 22, "0,00", "", false);
        riga("vat -100", 20.0, 10, -100, "10,00", "0,00", true);
        riga("vat null", 20.0, 10, {}, "10,00", "", false);
        riga("large grouped", 2000.0, 1, 0, "1,00", "199.900,00", false);
    }

    void markup()
    {
        QFETCH(double, costo);
        QFETCH(QVariant, costo2);
        QFETCH(QVariant, codPV);
        QFETCH(QString, prezzoA);
        QFETCH(QString, ricarico);
        QFETCH(bool, blu);
        TestEnv env;
        inserisci(articolo(costo, costo2, codPV));
        const auto r = ArticleList::leggi(kTutti);
        QCOMPARE(r.righe.size(), 1);
        const RigaLista& riga = r.righe.first();
        QCOMPARE(riga.testo.at(13), prezzoA);
        QCOMPARE(riga.testo.at(17), ricarico);
        QCOMPARE(riga.colore.at(17) == ArticleList::blu(), blu);
        QCOMPARE(riga.colore.at(0) == ArticleList::blu(), blu);
    }

    void colours_data()
    {
        QTest::addColumn<double>("qta");
        QTest::addColumn<bool>("modificato");
        QTest::addColumn<double>("costo");   // purchase 10, VAT 0: mark-up = costo*10 - 100
        QTest::addColumn<QString>("attesi"); // one letter per column: r g b or . (normal)
        QTest::newRow("stock zero") << 0.0 << false << 20.0 << "rrrrrrrrrrrr......";
        QTest::newRow("stock negative") << -3.0 << false << 20.0 << "rrrrrrrrrrrr......";
        QTest::newRow("zero and changed") << 0.0 << true << 20.0 << "gggggggggggggggg..";
        QTest::newRow("changed only") << 4.0 << true << 20.0 << "gggggggggggggggg..";
        QTest::newRow("zero with low markup") << 0.0 << false << 11.0 << "bbbbbbbbbbbbbbbbbb";
        QTest::newRow("all three") << 0.0 << true << 11.0 << "bbbbbbbbbbbbbbbbbb";
        QTest::newRow("none") << 4.0 << false << 20.0 << "..................";
    }

    void colours()
    {
        QFETCH(double, qta);
        QFETCH(bool, modificato);
        QFETCH(double, costo);
        QFETCH(QString, attesi);
        TestEnv env;
        QVariantMap a = articolo(costo, 10, 0, qta);
        a.insert(QStringLiteral("Modificato"), modificato ? 1 : 0);
        inserisci(a);
        const auto r = ArticleList::leggi(kTutti);
        QCOMPARE(r.righe.size(), 1);
        QString visti;
        for (const QColor& c : r.righe.first().colore) {
            if (!c.isValid())
                visti += QLatin1Char('.');
            else if (c == ArticleList::rosso())
                visti += QLatin1Char('r');
            else if (c == ArticleList::verde())
                visti += QLatin1Char('g');
            else if (c == ArticleList::blu())
                visti += QLatin1Char('b');
            else
                visti += QLatin1Char('?');
        }
        QCOMPARE(visti, attesi);
    }

    void capDeletedAndTotals()
    {
        TestEnv env;
        {
            Db::Transaction t;
            for (int i = 1; i <= 1500; ++i)
                inserisci({{QStringLiteral("CodMateriale"), i},
                           {QStringLiteral("Descrizione"), QStringLiteral("Art %1").arg(i, 5, 10, QLatin1Char('0'))},
                           {QStringLiteral("Quantità"), 1},
                           {QStringLiteral("Costo"), 2},
                           {QStringLiteral("UnitaMisura"), QStringLiteral("Pz")},
                           {QStringLiteral("Minimo"), 0}});
            // Deleted ones sort first: counted, never listed, never valued.
            for (int i = 1501; i <= 1510; ++i)
                inserisci({{QStringLiteral("CodMateriale"), i},
                           {QStringLiteral("Descrizione"), QStringLiteral("A deleted %1").arg(i)},
                           {QStringLiteral("Quantità"), 100},
                           {QStringLiteral("Costo"), 100},
                           {QStringLiteral("Eliminato"), 1}});
            QVERIFY(t.commit());
        }
        const auto r = ArticleList::leggi(QStringLiteral("Select * from Magazzino order by descrizione"));
        QCOMPARE(r.totVoci, qint64(1510));
        QCOMPARE(r.listate, 1000);
        QCOMPARE(r.righe.size(), 1000);
        QCOMPARE(r.valore, 2000.0);
        QCOMPARE(r.righe.first().testo.at(0), QStringLiteral("1"));
        QCOMPARE(r.righe.last().testo.at(0), QStringLiteral("1000"));
        QCOMPARE(ArticleList::testoValore(r.valore), QStringLiteral("2000,000000"));

        const auto soloEliminati = ArticleList::leggi(QStringLiteral("Select * from Magazzino where Eliminato <> 0"));
        QCOMPARE(soloEliminati.totVoci, qint64(10));
        QCOMPARE(soloEliminati.listate, 0);
        QCOMPARE(soloEliminati.valore, 0.0);
    }

    void emptyAndBrokenTexts()
    {
        TestEnv env;
        inserisci(articolo(20, 10, 22));
        const auto vuoto = ArticleList::leggi(QStringLiteral("Select * from Magazzino where BarCode = ?"),
                                              {QStringLiteral("nessuno")});
        QVERIFY(vuoto.aperto);
        QCOMPARE(vuoto.totVoci, qint64(0));
        QVERIFY(vuoto.righe.isEmpty());
        QCOMPARE(ArticleList::testoValore(vuoto.valore), QStringLiteral("0,000000"));

        const auto rotto = ArticleList::leggi(QStringLiteral("Select * from Magazzino where Nonesiste = 1"));
        QVERIFY(!rotto.aperto);
        QVERIFY(!rotto.inUso);
        QVERIFY(rotto.errore.contains(QStringLiteral("Nonesiste")));
        QCOMPARE(rotto.totVoci, qint64(0));
        QVERIFY(rotto.righe.isEmpty());

        // A read that fails part-way: the rows before would look like the whole list.
        for (int cod = 101; cod <= 104; ++cod) {
            QVariantMap a = articolo(20, 10, 22);
            a.insert(QStringLiteral("CodMateriale"), cod);
            inserisci(a);
        }
        const auto aMeta = ArticleList::leggi(QStringLiteral(
            "Select *, CASE WHEN CodMateriale = 103 THEN abs(-9223372036854775807 - 1) END from Magazzino "
            "where CodMateriale > 100 order by CodMateriale"));
        QVERIFY(!aMeta.aperto);
        QVERIFY(aMeta.errore.contains(QStringLiteral("overflow")));
        QVERIFY(aMeta.righe.isEmpty());
    }

    // What the window asks for: the whole archive in stored or description order, or a search.
    void filters()
    {
        TestEnv env;
        for (const auto& [cod, descr] : {std::pair{1, "zeta"}, {2, "Alfa"}, {3, "beta"}})
            inserisci({{QStringLiteral("CodMateriale"), cod},
                       {QStringLiteral("Descrizione"), QString::fromLatin1(descr)},
                       {QStringLiteral("BarCode"), QStringLiteral("80%1").arg(cod)},
                       {QStringLiteral("Quantità"), 1},
                       {QStringLiteral("Costo"), 1}});
        const auto codici = [](const ArticleList::Filtro& f) {
            QStringList out;
            for (const RigaLista& r : ArticleList::leggi(f).righe)
                out << r.testo.at(ArticleList::colCod);
            return out;
        };
        QCOMPARE(codici(ArticleList::Filtro::tutti()), (QStringList{"1", "2", "3"}));
        QCOMPARE(codici(ArticleList::Filtro::perDescrizione()), (QStringList{"2", "3", "1"}));
        ArticleSearch::Criteri c;
        c.opzione = ArticleSearch::optBarCode;
        c.testo = QStringLiteral("803");
        QCOMPARE(codici(ArticleList::Filtro::ricerca(c)), QStringList{"3"});
        c.testo = QStringLiteral("80' OR '1'='1");
        const auto nessuno = ArticleList::leggi(ArticleList::Filtro::ricerca(c));
        QVERIFY(nessuno.aperto);
        QCOMPARE(nessuno.totVoci, qint64(0));
        c.opzione = ArticleSearch::optDescrizione;
        c.testo = QStringLiteral("B");
        QCOMPARE(codici(ArticleList::Filtro::ricerca(c)), QStringList{"3"});
    }

    void labelMark_data()
    {
        QTest::addColumn<bool>("spuntato");
        QTest::addColumn<QVariant>("prima");
        QTest::addColumn<QString>("dopo");
        QTest::newRow("ticked F") << true << QVariant(QStringLiteral("F")) << "N";
        QTest::newRow("ticked N") << true << QVariant(QStringLiteral("N")) << "F";
        QTest::newRow("ticked empty") << true << QVariant(QStringLiteral("")) << "F";
        QTest::newRow("ticked null") << true << QVariant() << "F";
        QTest::newRow("ticked other") << true << QVariant(QStringLiteral("X")) << "X";
        QTest::newRow("unticked F") << false << QVariant(QStringLiteral("F")) << "N";
        QTest::newRow("unticked null") << false << QVariant() << "N";
        QTest::newRow("unticked other") << false << QVariant(QStringLiteral("X")) << "N";
    }

    void labelMark()
    {
        QFETCH(bool, spuntato);
        QFETCH(QVariant, prima);
        QFETCH(QString, dopo);
        TestEnv env;
        QVariantMap a = articolo(20, 10, 22);
        a.insert(QStringLiteral("TipoVariazione"), prima);
        const int uno = inserisci(a);
        const int due = inserisci(a);
        // One article by code (text, as the list gives it), many in one go; the skip flag does nothing.
        QVERIFY(ArticleList::ImpostaTipoVariazione(QString::number(uno), true, spuntato));
        QCOMPARE(tipoVariazione(uno), prima.isNull() ? QStringLiteral("<null>") : prima.toString());
        QVERIFY(ArticleList::ImpostaTipoVariazione(QString::number(uno), false, spuntato));
        QCOMPARE(tipoVariazione(uno), dopo);
        QVERIFY(ArticleList::ImpostaTipoVariazione(QStringList{QString::number(due)}, spuntato));
        QCOMPARE(tipoVariazione(due), dopo);
    }
};

QTEST_MAIN(TestArticleList)
#include "tst_articlelist.moc"
