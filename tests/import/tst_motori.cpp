// The import engines on files made here: exact rows afterwards, all-or-nothing on bad files and
// failed writes.
#include "Fixtures.h"
#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/TextFile.h"
#include "import/Cartella.h"
#include "import/Listini.h"
#include "support/ImportProva.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

Articolo articolo(qint64 cod)
{
    const auto r = Articoli::perCodice(cod);
    if (!r.trovatoValore())
        qFatal("articolo %lld assente", cod);
    return *r.valore;
}

// Fixed-width line: each field placed at its 1-based start.
QString campi(std::initializer_list<std::pair<int, QString>> c)
{
    QString s;
    for (const auto& [inizio, testo] : c) {
        if (s.size() < inizio - 1)
            s += QString(inizio - 1 - s.size(), QLatin1Char(' '));
        s = s.left(inizio - 1) + testo;
    }
    return s;
}

// An RCG SERVICE line: type "R", the code, quantity, price 1,00, description, VAT 22 and barcode.
QString rigaRCG(const QString& cod, const QString& qta, const QString& des, const QString& bc)
{
    return campi({{1, QStringLiteral("R")},
                  {11, cod},
                  {16, qta},
                  {21, QStringLiteral("00000001")},
                  {29, QStringLiteral("00000")},
                  {34, des},
                  {76, QStringLiteral("22")},
                  {82, bc.leftJustified(13)}});
}

// The peak resident memory (VmHWM) in KiB; azzeraPicco() brings it down to what is resident now.
long piccoKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& l : f.readAll().split('\n')) {
            if (l.startsWith("VmHWM:"))
                return l.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}
bool azzeraPicco()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

QString rigaGronte(const QString& cod, const QString& bc, const QString& des)
{
    return campi({{21, cod},
                  {42, bc},
                  {63, des},
                  {100, QStringLiteral("6")},
                  {114, QStringLiteral("12500")},
                  {184, QStringLiteral("22")}});
}

// A message as shown, line by line: the reason a refusal gives is on its second line.
QString secondaRiga(const QString& messaggio)
{
    return messaggio.section(QLatin1Char('\n'), 1);
}
QString primaRiga(const QString& messaggio)
{
    return messaggio.section(QLatin1Char('\n'), 0, 0);
}

Articolo nuovo(const QString& bc, std::optional<double> qta, const QString& codForn = {})
{
    Articolo a;
    a.descrizione = QStringLiteral("Vecchio ") + bc;
    a.barCode = bc;
    a.quantita = qta;
    a.costo = 4;
    a.costo2 = 2;
    a.codProdottoFornitore = codForn;
    a.genere = QStringLiteral("9");
    if (!Articoli::inserisci(a))
        qFatal("insert");
    return a;
}

} // namespace

class TstMotori : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnv> m_env;
    ScriptedInteraction& ui() { return m_env->interazione(); }
    RecordingProgress sink;

    Listini::RiepilogoImport riepilogo;
    bool importa(const QString& path, const ImpostazioniImport& imp)
    {
        return Listini::EseguiImportazione(path, imp, ui(), sink, &riepilogo);
    }
    QString p(const QString& n) const { return m_env->path(n); }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        sink = RecordingProgress();
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Pane' WHERE Cod = 5")));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Iva = 22 WHERE Cod = 3")));
    }
    void cleanup() { m_env.reset(); }

    void testoSeparatoRinumeraESvuota_data()
    {
        QTest::addColumn<QByteArray>("fine");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void testoSeparatoRinumeraESvuota()
    {
        QFETCH(QByteArray, fine);
        const Articolo vecchio = nuovo(QStringLiteral("111"), 5);
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (?, 'E1')"),
                         {vecchio.codMateriale}));
        QVERIFY(
            Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, PrzScnt) VALUES (?, 1)"), {vecchio.codMateriale}));
        scriviTesto(p(QStringLiteral("l.txt")),
                    {QStringLiteral("a;b;c;  \"8001234567890\"  ;\"Pasta\" è;5;x;y;z;3.50;q;99"),
                     QStringLiteral(";;;123; Sale ;;;;;1234"), QStringLiteral(";;;124;Olio;77;;;;"),
                     QStringLiteral(";;;125;Vino;abc;;;;2,5"), QStringLiteral(";;;126;   ;3;;;;1,5")},
                    fine);
        QVERIFY2(importa(p(QStringLiteral("l.txt")), separato()),
                 readAll(p(QStringLiteral("Dati/ErrorLog.dat"))).constData());
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 4); // none without a name
        QCOMPARE(riepilogo.saltate, 1);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM BarCodeUlteriori")).toInt(), 0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Offerte")).toInt(), 0);
        Articolo a = articolo(1);
        QCOMPARE(a.barCode, QStringLiteral("8001234567890"));
        QCOMPARE(a.descrizione, QStringLiteral("\"Pasta\" è")); // only the barcode loses its quotes
        QCOMPARE(*a.quantita, 2000.0);
        QCOMPARE(*a.costo, 3.5);
        QCOMPARE(a.genere, QStringLiteral("Pane"));
        QCOMPARE(a.unitaMisura, QStringLiteral("Pz"));
        QCOMPARE(a.fornitore, QStringLiteral("***"));
        QCOMPARE(*a.minimo, 0.0);
        QVERIFY(!a.modificato);
        QVERIFY(!a.costo2 && !a.codPV && a.tipoVariazione.isNull());
        a = articolo(2);
        QCOMPARE(a.descrizione, QStringLiteral("Sale"));
        QCOMPARE(a.genere, QStringLiteral("Reparto1")); // an empty department piece is department 1
        QCOMPARE(*a.costo, 1234.0);
        QCOMPARE(articolo(3).genere, QStringLiteral("77")); // no such department: the code
        QVERIFY(!articolo(3).costo.has_value() || *articolo(3).costo == 0);
        QCOMPARE(articolo(4).genere, QStringLiteral("1")); // not a number
        QCOMPARE(*articolo(4).costo, 2.5);
        QCOMPARE(sink.statuses.first(), QStringLiteral("Importazione dati PLU in corso..."));
    }

    // Poseidon's fixed layout needs no column positions: the checks let it through.
    void testoPoseidon()
    {
        ImpostazioniImport imp;
        imp.opzioneSeparatore = Listini::kPoseidon;
        const QString riga = QStringLiteral("05 8001234567890Biscotti al burro   X01250 resto ignorato");
        // A line cut before its description names no article; one cut after it gives empty fields.
        scriviTesto(p(QStringLiteral("p.txt")), {riga, QString(), QStringLiteral("     "), QStringLiteral("1"),
                                                 QStringLiteral("1               Grissini")});
        QVERIFY(importa(p(QStringLiteral("p.txt")), imp));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2); // blanks skipped
        QCOMPARE(riepilogo.testo().section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("Righe lette: 3, saltate: 1"));
        const Articolo a = articolo(1);
        QCOMPARE(a.genere, QStringLiteral("Pane"));
        QCOMPARE(a.barCode, QStringLiteral("8001234567890"));
        QCOMPARE(a.descrizione, QStringLiteral("Biscotti al burro"));
        QCOMPARE(*a.costo, 12.5);
        QCOMPARE(*a.quantita, 0.0);
        QCOMPARE(articolo(2).descrizione, QStringLiteral("Grissini"));
        QCOMPARE(articolo(2).genere, QStringLiteral("Reparto1"));
        QCOMPARE(articolo(2).barCode, QString());
        QVERIFY(!articolo(2).costo.value_or(0));
    }

    void testoOltre32767Righe()
    {
        QStringList l;
        for (int i = 0; i < 40000; ++i)
            l << QStringLiteral(";;;%1;Art %1;1;;;;1,5").arg(i);
        scriviTesto(p(QStringLiteral("g.txt")), l);
        QVERIFY(importa(p(QStringLiteral("g.txt")), separato()));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 40000);
        QCOMPARE(articolo(40000).barCode, QStringLiteral("39999"));
    }

    void fornitoreRCG()
    {
        nuovo(QStringLiteral("8000000000001"), 3);
        const Articolo perCodice = nuovo(QStringLiteral("VECCHIOBC"), std::nullopt, QStringLiteral("C'002"));
        const auto rcg = [](const QString& tipo, const QString& cod, const QString& qta, const QString& intero,
                            const QString& dec, const QString& des, const QString& iva, const QString& bc) {
            return campi({{1, tipo}, {11, cod}, {16, qta}, {21, intero}, {29, dec}, {34, des}, {76, iva}, {82, bc}});
        };
        scriviTesto(
            p(QStringLiteral("r.txt")),
            {rcg(QStringLiteral("R"), QStringLiteral("C0001"), QStringLiteral("00012"), QStringLiteral("00000012"),
                 QStringLiteral("50000"), QStringLiteral("Pasta di semola").leftJustified(30), QStringLiteral(" 22.00"),
                 QStringLiteral("8000000000001")),
             rcg(QStringLiteral("r"), QStringLiteral("C'002"), QStringLiteral("00004"), QStringLiteral("00000001"),
                 QStringLiteral("00000"), QStringLiteral("Riso"), QStringLiteral("4"), QStringLiteral("             ")),
             rcg(QStringLiteral("X"), QStringLiteral("C0003"), QStringLiteral("00001"), QStringLiteral("00000001"),
                 QStringLiteral("00000"), QStringLiteral("Saltata"), QStringLiteral("22"), QStringLiteral("1")),
             rcg(QStringLiteral("R"), QStringLiteral("C0004"), QStringLiteral("00002"), QStringLiteral("00000003"),
                 QStringLiteral("20000"), QStringLiteral("Nuovo"), QStringLiteral("10"),
                 QStringLiteral("8000000000099"))});
        ImpostazioniImport imp;
        imp.fornitore = QStringLiteral("rcg service ");
        QVERIFY(importa(p(QStringLiteral("r.txt")), imp));
        Articolo a = articolo(1);
        QCOMPARE(*a.quantita, 15.0);
        QCOMPARE(*a.costo, 4.0); // the sale price stays
        QCOMPARE(*a.costo2, 12.5);
        QCOMPARE(a.descrizione, QStringLiteral("Pasta di semola").leftJustified(30));
        QCOMPARE(*a.codPV, 22.0);
        QCOMPARE(a.codProdottoFornitore, QStringLiteral("C0001"));
        QCOMPARE(a.fornitore, QStringLiteral("rcg service "));
        QCOMPARE(a.genere, QStringLiteral("9"));
        QVERIFY(a.modificato);
        a = articolo(perCodice.codMateriale);             // found by the supplier code with the apostrophe
        QCOMPARE(a.barCode, QStringLiteral("VECCHIOBC")); // an empty barcode never erases
        QCOMPARE(*a.quantita, 4.0);                       // Null stock plus the delivery
        QCOMPARE(*a.costo2, 1.0);
        a = articolo(3);
        QCOMPARE(a.genere, QStringLiteral("***NEW***"));
        QCOMPARE(*a.costo, 0.0);
        QCOMPARE(*a.quantita, 2.0);
        QCOMPARE(a.barCode, QStringLiteral("8000000000099"));
        QCOMPARE(*a.codPV, 10.0);
        QCOMPARE(*a.minimo, 0.0);
        QCOMPARE(a.unitaMisura, QStringLiteral("Pz"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 3);
    }

    void fornitoreGronte()
    {
        const auto gr = [](const QString& cod, const QString& bc, const QString& des, const QString& qta,
                           const QString& prezzo, const QString& iva) {
            return campi(
                {{1, QStringLiteral("TESTA")}, {21, cod}, {42, bc}, {63, des}, {100, qta}, {114, prezzo}, {184, iva}});
        };
        scriviTesto(p(QStringLiteral("g.txt")),
                    {gr(QStringLiteral("G1"), QStringLiteral("8001"), QStringLiteral("Caffè"), QStringLiteral("6"),
                        QStringLiteral("12500"), QStringLiteral("22")),
                     QStringLiteral("   "), QString(),
                     gr(QStringLiteral("G2"), QString(), QStringLiteral("Zucchero"), QStringLiteral("1"),
                        QStringLiteral("900"), QStringLiteral("4"))});
        ImpostazioniImport imp;
        imp.fornitore = QStringLiteral("Gronte");
        QVERIFY(importa(p(QStringLiteral("g.txt")), imp));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
        Articolo a = articolo(1);
        QCOMPARE(a.codProdottoFornitore, QStringLiteral("G1"));
        QCOMPARE(a.barCode, QStringLiteral("8001"));
        QCOMPARE(a.descrizione, QStringLiteral("Caffè"));
        QCOMPARE(*a.quantita, 6.0);
        QCOMPARE(*a.costo2, 12.5);
        QCOMPARE(*a.codPV, 22.0);
        QCOMPARE(*articolo(2).costo2, 0.9);
    }

    void fornitoreSenzaTracciato()
    {
        const QString prima = fotografia();
        scriviTesto(p(QStringLiteral("x.txt")), {QStringLiteral("R qualcosa")});
        ImpostazioniImport imp;
        imp.fornitore = QStringLiteral("ACME");
        QVERIFY(!importa(p(QStringLiteral("x.txt")), imp));
        QCOMPARE(
            ui().asked.last(),
            QStringLiteral("Dati Tracciato Record per il Fornitore selezionato NON presenti - Impossibile continuare"));
        QCOMPARE(fotografia(), prima);
    }

    void foglioGenerico_data() { colonnaScrittori(); }
    void foglioGenerico()
    {
        QFETCH(int, scrittore);
        nuovo(QStringLiteral("800"), 7);
        const QVariantList nomi = {QStringLiteral("Des"), QStringLiteral("Qta"), QStringLiteral("BC"),
                                   QStringLiteral("Rep"), QStringLiteral("PV"),  QStringLiteral("ACQ"),
                                   QStringLiteral("IVA"), QStringLiteral("CF"),  QStringLiteral("For")};
        const QVariant no;
        const QList<Foglio> fogli = {
            {QStringLiteral("Altro"), {{QStringLiteral("x")}, {QStringLiteral("y")}}},
            {QStringLiteral("Prodotti"),
             {nomi,
              {QStringLiteral("Esistente"), no, QStringLiteral("800"), 1.0, no, no, 22.0, QStringLiteral("K1"),
               QStringLiteral("  Forn  ")},
              {QStringLiteral("Nuovo"), 3.0, 8001234567890.0, 1.0, QStringLiteral("1.50"), 0.75, no, no, no},
              {no, 1.0, QStringLiteral("999"), 1.0, 1.0, 1.0, 22.0, no, no},
              {QStringLiteral("Senza qta e barcode"), no, no, 1.0, 2.5, 1.25, 10.0, QStringLiteral("K'3"),
               QStringLiteral("F")}}}};
        const QString path = scriviCartella(scrittore, p(QStringLiteral("f")), fogli);
        QVERIFY2(importa(path, generico()), qPrintable(ui().asked.join(QLatin1Char('/'))));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 3);
        Articolo a = articolo(1);
        QCOMPARE(a.descrizione, QStringLiteral("Esistente"));
        QCOMPARE(*a.quantita, 7.0); // empty quantity cell keeps the stock
        QCOMPARE(*a.costo, 4.0);    // empty price cells keep both prices
        QCOMPARE(*a.costo2, 2.0);
        QCOMPARE(*a.codPV, 22.0);
        QCOMPARE(a.genere, QStringLiteral("3")); // the department of VAT 22
        QCOMPARE(a.codProdottoFornitore, QStringLiteral("K1"));
        QCOMPARE(a.fornitore, QStringLiteral("Forn"));
        QCOMPARE(a.tipoVariazione, QStringLiteral("F"));
        QVERIFY(a.modificato);
        a = articolo(2);
        QCOMPARE(a.barCode, QStringLiteral("8001234567890"));
        QCOMPARE(*a.quantita, 3.0);
        QCOMPARE(*a.costo, 1.5); // "1.50" as text
        QCOMPARE(*a.costo2, 0.75);
        QCOMPARE(*a.codPV, 22.0); // empty VAT cell: 22 and its department
        QCOMPARE(a.genere, QStringLiteral("3"));
        QCOMPARE(a.unitaMisura, QStringLiteral("Pz"));
        QCOMPARE(*a.minimo, 0.0);
        a = articolo(3);
        QCOMPARE(*a.quantita, 2000.0); // new article: the default quantity
        QCOMPARE(a.barCode, QString());
        QCOMPARE(a.genere, QStringLiteral("40"));
        QCOMPARE(a.codProdottoFornitore, QStringLiteral("K'3"));
        QCOMPARE(sink.statuses.first(), QStringLiteral("Importazione in corso..."));
    }

    void foglioStessoBarcodeDueVolte()
    {
        const QVariant no;
        const QList<Foglio> f = {{QStringLiteral("prodotti"),
                                  {{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0},
                                   {QStringLiteral("Primo"), 1.0, QStringLiteral("777"), 1.0, 2.0, 1.0, 22.0, no, no},
                                   {QStringLiteral("Secondo"), 4.0, QStringLiteral("777"), 1.0, 3.0, 1.0, 22.0, no, no},
                                   {QStringLiteral("Senza barcode"), 1.0, no, 1.0, 1.0, 1.0, 22.0, no, no}}}};
        scriviXlsx(p(QStringLiteral("d.xlsx")), f);
        QVERIFY2(importa(p(QStringLiteral("d.xlsx")), generico()),
                 readAll(p(QStringLiteral("Dati/ErrorLog.dat"))).constData());
        QVERIFY(importa(p(QStringLiteral("d.xlsx")), generico()));
        // The second row finds what the first created; an empty barcode is always a new article.
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 3);
        QCOMPARE(articolo(1).descrizione, QStringLiteral("Secondo"));
        QCOMPARE(*articolo(1).quantita, 4.0); // replaced, not added to
        QCOMPARE(*articolo(1).costo, 3.0);
        QCOMPARE(articolo(3).descrizione, QStringLiteral("Senza barcode"));
    }

    void foglioSenzaProdotti()
    {
        nuovo(QStringLiteral("1"), 1);
        const QString prima = fotografia();
        scriviXlsx(p(QStringLiteral("n.xlsx")), {{QStringLiteral("Listino"), {{QStringLiteral("a")}, {1.0}}}});
        QVERIFY(!importa(p(QStringLiteral("n.xlsx")), generico()));
        QCOMPARE(ui().asked.last(), QStringLiteral("Impossibile eseguire l'importazione\n"
                                                   "Il file non contiene un foglio di nome \"PRODOTTI\""));
        QCOMPARE(fotografia(), prima);
    }

    void foglioFornitore()
    {
        nuovo(QStringLiteral("8000000000001"), 3);
        const QVariant no;
        scriviXls(p(QStringLiteral("s.xls")),
                  {{QStringLiteral("Listino"),
                    {{QStringLiteral("Cod."), QStringLiteral("BC")},
                     {QStringLiteral("Cod."), QStringLiteral("x")},
                     {101.0, QStringLiteral("8000000000001"), QStringLiteral("Pasta"), no, 5.0, 1.2, 4.0},
                     {102.0, QStringLiteral("8000000000002"), QStringLiteral("Nuova"), no, no, 3.0, no}}},
                   {QStringLiteral("Secondo"), {{QStringLiteral("a")}, {1.0}}}});
        ImpostazioniImport imp;
        imp.fileExcel = true;
        imp.fornitore = QStringLiteral("Bianchi");
        QVERIFY(importa(p(QStringLiteral("s.xls")), imp));
        Articolo a = articolo(1);
        QCOMPARE(*a.quantita, 8.0);
        QCOMPARE(*a.costo, 4.0);
        QCOMPARE(*a.costo2, 1.2);
        QCOMPARE(*a.codPV, 4.0);
        QCOMPARE(a.codProdottoFornitore, QStringLiteral("101"));
        QCOMPARE(a.fornitore, QStringLiteral("Bianchi"));
        a = articolo(2);
        QCOMPARE(a.genere, QStringLiteral("***NEW***"));
        QCOMPARE(*a.costo, 0.0);
        QCOMPARE(*a.quantita, 0.0);
        QCOMPARE(*a.codPV, 20.0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
        QVERIFY(readAll(p(QStringLiteral("Dati/ErrorLog.dat"))).contains("Non trovo cod fornitore"));
    }

    // Rows of blanks after the data make no article, nor does a row without a description: in the
    // generic sheet and in a supplier's, whatever wrote the workbook. A found article keeps its name.
    void foglioRigheSenzaDescrizione_data() { colonnaScrittori(); }
    void foglioRigheSenzaDescrizione()
    {
        QFETCH(int, scrittore);
        nuovo(QStringLiteral("801"), 3);
        const QVariant no;
        const QString b = QStringLiteral("   ");
        const QString prodotti = scriviCartella(
            scrittore, p(QStringLiteral("g")),
            {{QStringLiteral("PRODOTTI"),
              {{QStringLiteral("Des"), QStringLiteral("Qta"), QStringLiteral("BC"), QStringLiteral("Rep"),
                QStringLiteral("PV"), QStringLiteral("ACQ"), QStringLiteral("IVA"), QStringLiteral("CF"),
                QStringLiteral("For")},
               {QStringLiteral("Pane"), 2.0, QStringLiteral("800"), 1.0, 1.5, 1.0, 22.0, QStringLiteral("P1"), b},
               {b, 5.0, QStringLiteral("801"), 1.0, 9.5, 1.0, 22.0, QStringLiteral("P2"), QStringLiteral("Rossi")},
               {b, b, b, no, no, no, no, no, b},
               {QStringLiteral("\t \u00a0")}}}});
        QVERIFY(importa(prodotti, generico()));
        QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 2, saltate: 1"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
        QCOMPARE(articolo(2).descrizione, QStringLiteral("Pane"));
        QCOMPARE(articolo(2).fornitore, QString());
        QCOMPARE(articolo(1).descrizione, QStringLiteral("Vecchio 801"));
        QCOMPARE(*articolo(1).quantita, 3.0);

        const QString fornitore =
            scriviCartella(scrittore, p(QStringLiteral("f")),
                           {{QStringLiteral("Listino"),
                             {{QStringLiteral("Cod."), QStringLiteral("BC"), QStringLiteral("Des")},
                              {101.0, QStringLiteral("801"), b, no, 5.0, 1.2, 4.0},
                              {102.0, QStringLiteral("802"), QStringLiteral("Nuova"), no, 1.0, 3.0, no},
                              {b, b, b, b, b}}}});
        ImpostazioniImport imp;
        imp.fileExcel = true;
        imp.fornitore = QStringLiteral("Bianchi");
        QVERIFY(importa(fornitore, imp));
        QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 2, saltate: 1"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 3);
        QCOMPARE(articolo(1).descrizione, QStringLiteral("Vecchio 801"));
        QCOMPARE(*articolo(1).quantita, 3.0);
        QCOMPARE(articolo(3).descrizione, QStringLiteral("Nuova"));
    }

    // A large sheet is written to the archive as it is read, never held whole: the import's peak
    // memory does not grow with the rows (held, they cost about 0.9 KiB each). A number cell
    // reaches the archive as its text would have given it.
    void foglioLettoMentreSiScrive()
    {
        const int n = 60000;
        const QString path = p(QStringLiteral("grande.xlsx"));
        lxw_workbook_options o = {LXW_TRUE, nullptr, LXW_FALSE};
        lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &o);
        lxw_worksheet* ws = workbook_add_worksheet(wb, "PRODOTTI");
        worksheet_write_string(ws, 0, 0, "Des", nullptr);
        for (int i = 1; i <= n; ++i) {
            const QByteArray des = QStringLiteral("Articolo di prova numero %1 conf. 500g").arg(i).toUtf8();
            worksheet_write_string(ws, i, 0, des.constData(), nullptr);
            worksheet_write_number(ws, i, 1, 5, nullptr);
            worksheet_write_string(ws, i, 2, QByteArray::number(8000000000000LL + i).constData(), nullptr);
            worksheet_write_number(ws, i, 4, i == 1 ? 1.1 * 3 : 1.5, nullptr);
            worksheet_write_string(ws, i, 8, "Rossi", nullptr);
        }
        QCOMPARE(int(workbook_close(wb)), int(LXW_NO_ERROR));
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizer keeps freed memory: peaks say nothing here");
#endif
        if (!azzeraPicco())
            QSKIP("the peak memory cannot be reset here");
        const long prima = piccoKiB();
        QVERIFY(importa(path, generico()));
        const long crescita = (piccoKiB() - prima) / 1024;
        qInfo("peak memory growth during the import: %ld MiB", crescita);
        QVERIFY2(crescita < 15, qPrintable(QStringLiteral("%1 MiB").arg(crescita)));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), n);
        QCOMPARE(riepilogo.lette, n);
        QCOMPARE(*articolo(1).costo, 3.3);
        QCOMPARE(articolo(n).descrizione, QStringLiteral("Articolo di prova numero %1 conf. 500g").arg(n));
        QCOMPARE(*articolo(n).quantita, 5.0);
    }

    // The .xls reader's start and end are limits of its own: with every pause scaled to nothing
    // the workbook is still read.
    void xlsSenzaPause()
    {
        app().wait.scale = 0;
        scriviXls(p(QStringLiteral("z.xls")), {{QStringLiteral("Listino"),
                                                {{QStringLiteral("Cod.")},
                                                 {101.0, QStringLiteral("8000000000001"), QStringLiteral("Pasta")},
                                                 {102.0, QStringLiteral("8000000000002"), QStringLiteral("Sale")}}}});
        ImpostazioniImport imp;
        imp.fileExcel = true;
        imp.fornitore = QStringLiteral("Bianchi");
        QVERIFY2(importa(p(QStringLiteral("z.xls")), imp), qPrintable(ui().asked.join(QLatin1Char('/'))));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
    }

    void fileOstili_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<int>("tipo"); // 0 text, 1 generic sheet, 2 supplier sheet, 3 RCG
        QTest::addColumn<QString>("messaggio");
        const QString err = Listini::msgErrore();
        const QString imp = Listini::msgImpossibile();
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += char((i * 7919) % 256);
        QTest::newRow("testo vuoto") << QByteArray() << 0 << err;
        QTest::newRow("testo binario") << garbage << 0 << err;
        QTest::newRow("testo UTF-8") << QByteArray(";;;1;Caffè;1;;;;1\r\n") << 0 << err;
        QTest::newRow("riga di 100000 caratteri") << QByteArray(100000, 'x') << 0 << err;
        QTest::newRow("colonne mancanti") << QByteArray(";;;1;Pane;1;;;;2\r\n;;;2;Sale\r\n") << 0 << err;
        QTest::newRow("RCG vuoto") << QByteArray() << 3 << err;
        QTest::newRow("RCG binario") << garbage << 3 << err;
        QTest::newRow("foglio vuoto") << QByteArray() << 1 << imp;
        QTest::newRow("foglio binario") << garbage << 1 << imp;
        QTest::newRow("fornitore binario") << garbage << 2 << imp;
    }
    void fileOstili()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(int, tipo);
        QFETCH(QString, messaggio);
        nuovo(QStringLiteral("1"), 1);
        const QString prima = fotografia();
        writeRaw(p(QStringLiteral("o.dat")), contenuto);
        ImpostazioniImport imp = tipo == 1 ? generico() : separato();
        imp.fileExcel = tipo == 1 || tipo == 2;
        if (tipo == 2)
            imp.fornitore = QStringLiteral("X");
        if (tipo == 3)
            imp.fornitore = QStringLiteral("RCG SERVICE");
        QVERIFY(!importa(p(QStringLiteral("o.dat")), imp));
        QCOMPARE(primaRiga(ui().asked.last()), messaggio);
        QVERIFY(!secondaRiga(ui().asked.last()).isEmpty());
        QCOMPARE(fotografia(), prima);
    }

    void cartelleOstili_data()
    {
        QTest::addColumn<int>("caso");
        QTest::newRow("xlsx troncato") << 0;
        QTest::newRow("xls troncato") << 1;
        QTest::newRow("zip senza cartella") << 2;
        QTest::newRow("xls con password") << 3;
        QTest::newRow("foglio senza righe") << 4;
        QTest::newRow("colonna oltre il foglio") << 5;
    }
    void cartelleOstili()
    {
        QFETCH(int, caso);
        nuovo(QStringLiteral("1"), 1);
        const QString prima = fotografia();
        const QList<Foglio> f = {
            {QStringLiteral("PRODOTTI"),
             {{QStringLiteral("a"), QStringLiteral("b")},
              {QStringLiteral("Pane"), 1.0, QStringLiteral("9"), 1.0, 1.0, 1.0, 1.0, 1.0, QStringLiteral("F")}}}};
        const QString path = p(QStringLiteral("c.bin"));
        if (caso == 0 || caso == 2) {
            scriviXlsx(path, f);
            QByteArray b = readAll(path);
            if (caso == 0) {
                b.truncate(b.size() / 2);
            } else {
                QFile::remove(path);
                writeRaw(path + QStringLiteral(".txt"), "ciao");
                QProcess z;
                z.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-c"),
                         QStringLiteral("import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\n"
                                        "z.writestr('leggimi.txt','ciao')\nz.close()"),
                         path});
                QVERIFY(z.waitForFinished(30000) && z.exitCode() == 0);
                b = readAll(path);
            }
            writeRaw(path, b);
        } else if (caso == 1 || caso == 3) {
            scriviXls(path, f, caso == 3);
            if (caso == 1) {
                QByteArray b = readAll(path);
                b.truncate(b.size() / 2);
                writeRaw(path, b);
            }
        } else if (caso == 4) {
            scriviXlsx(path, {{QStringLiteral("Prodotti"), {{QStringLiteral("solo nomi")}}}});
        } else {
            scriviXlsx(path, {{QStringLiteral("Prodotti"), {{QStringLiteral("a")}, {QStringLiteral("Pane")}}}});
        }
        QVERIFY(!importa(path, generico()));
        QCOMPARE(primaRiga(ui().asked.last()), Listini::msgImpossibile());
        QVERIFY(!secondaRiga(ui().asked.last()).isEmpty());
        QCOMPARE(fotografia(), prima);
    }

    // A supplier code that is blank is no code: lines without one never fall on one article.
    void rcgCodiceVuotoNonUnisce()
    {
        const QString vuoto(5, QLatin1Char(' '));
        scriviTesto(p(QStringLiteral("r.txt")),
                    {rigaRCG(vuoto, QStringLiteral("00005"), QStringLiteral("Uno"), QStringLiteral("8001")),
                     rigaRCG(vuoto, QStringLiteral("00007"), QStringLiteral("Due"), QStringLiteral("8002")),
                     rigaRCG(vuoto, QStringLiteral("00001"), QStringLiteral("Tre"), QString())});
        ImpostazioniImport imp;
        imp.fornitore = QStringLiteral("RCG SERVICE");
        QVERIFY(importa(p(QStringLiteral("r.txt")), imp));
        QVERIFY(importa(p(QStringLiteral("r.txt")), imp));
        // The second time "Uno" and "Due" are found by barcode; "Tre" has nothing to be found by.
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 4);
        QCOMPARE(articolo(1).descrizione.trimmed(), QStringLiteral("Uno"));
        QCOMPARE(*articolo(1).quantita, 10.0);
        QCOMPARE(articolo(2).descrizione.trimmed(), QStringLiteral("Due"));
        QCOMPARE(*articolo(2).quantita, 14.0);
        QCOMPARE(*articolo(3).quantita, 1.0);
        QCOMPARE(*articolo(4).quantita, 1.0);
    }

    // Headers, lines without data and lines without a description (also one cut before it) make no
    // article, at any import of the file; they are counted.
    void righeCorteSaltate_data()
    {
        QTest::addColumn<QString>("fornitore");
        QTest::addColumn<QStringList>("linee");
        QTest::addColumn<int>("saltate");
        QTest::newRow("RCG") << QStringLiteral("RCG SERVICE")
                             << QStringList{QStringLiteral("R"), QStringLiteral("R123"),
                                            rigaRCG(QStringLiteral("C0001"), QStringLiteral("00002"),
                                                    QStringLiteral("Pasta"), QStringLiteral("8001")),
                                            rigaRCG(QStringLiteral("C0002"), QStringLiteral("00005"), QString(),
                                                    QStringLiteral("8002"))}
                             << 3;
        QTest::newRow("GRONTE")
            << QStringLiteral("GRONTE")
            << QStringList{QStringLiteral("GRONTE LISTINO 2024"), QString(),
                           rigaGronte(QStringLiteral("G1"), QStringLiteral("8001"), QStringLiteral("Pasta")),
                           QString(200, QLatin1Char(' ')) + QStringLiteral("fine"),
                           // cut before its description
                           rigaGronte(QStringLiteral("G2"), QStringLiteral("8002"), QStringLiteral("Sale")).left(62)}
            << 3;
    }
    void righeCorteSaltate()
    {
        QFETCH(QString, fornitore);
        QFETCH(QStringList, linee);
        QFETCH(int, saltate);
        scriviTesto(p(QStringLiteral("f.txt")), linee);
        ImpostazioniImport imp;
        imp.fornitore = fornitore;
        for (int volta = 0; volta < 2; ++volta) {
            QVERIFY(importa(p(QStringLiteral("f.txt")), imp));
            QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 1);
            QCOMPARE(riepilogo.saltate, saltate);
            QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: %1, saltate: %2").arg(saltate + 1).arg(saltate));
        }
        QCOMPARE(articolo(1).barCode, QStringLiteral("8001"));
        QCOMPARE(*articolo(1).quantita, fornitore == QLatin1String("GRONTE") ? 12.0 : 4.0);
    }

    // A line saved without its trailing blanks reads the fields past its end as empty: it makes
    // the article the whole line makes.
    void righeSenzaBlankFinali_data()
    {
        QTest::addColumn<QString>("fornitore");
        QTest::addColumn<QString>("linea");
        QTest::newRow("GRONTE senza IVA") << QStringLiteral("GRONTE")
                                          << campi({{21, QStringLiteral("G1")},
                                                    {42, QStringLiteral("8001")},
                                                    {63, QStringLiteral("Pasta")},
                                                    {100, QStringLiteral("6")},
                                                    {114, QStringLiteral("12500").rightJustified(14)}})
                                                 .leftJustified(187);
        QTest::newRow("RCG senza IVA e barcode") << QStringLiteral("RCG SERVICE")
                                                 << campi({{1, QStringLiteral("R")},
                                                           {11, QStringLiteral("C0001")},
                                                           {16, QStringLiteral("00002")},
                                                           {21, QStringLiteral("00000001")},
                                                           {29, QStringLiteral("00000")},
                                                           {34, QStringLiteral("Pasta")}})
                                                        .leftJustified(94);
    }
    void righeSenzaBlankFinali()
    {
        QFETCH(QString, fornitore);
        QFETCH(QString, linea);
        ImpostazioniImport imp;
        imp.fornitore = fornitore;
        QString corta = linea;
        while (corta.endsWith(QLatin1Char(' ')))
            corta.chop(1);
        QStringList archivi;
        for (const QString& l : {linea, corta}) {
            QVERIFY(Db::exec(QStringLiteral("DELETE FROM Magazzino")));
            scriviTesto(p(QStringLiteral("f.txt")), {l});
            QVERIFY2(importa(p(QStringLiteral("f.txt")), imp), qPrintable(ui().asked.join(QLatin1Char('/'))));
            QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 1, saltate: 0"));
            archivi << fotografia();
        }
        QCOMPARE(archivi.last(), archivi.first());
        QVERIFY(corta.size() < linea.size());
    }

    // A point in a spreadsheet cell groups thousands when three digits follow it each time, else
    // it is the decimal point; in a separated price list it is always the decimal comma.
    void numeriConPunto()
    {
        const QList<std::tuple<QString, QString, std::optional<double>, std::optional<double>>> casi = {
            {QStringLiteral("2.000"), QStringLiteral("1.234.567"), 2000.0, 1234567.0},
            {QStringLiteral("1.50"), QStringLiteral("2.000"), 1.5, 2000.0},
            {QStringLiteral("0.500"), QStringLiteral("1.5"), 0.5, 1.5},
            {QStringLiteral("1.234,50"), QStringLiteral("12"), 1234.5, 12.0},
            {QStringLiteral("1.5.6"), QStringLiteral("1.23.4"), std::nullopt, std::nullopt},
        };
        QList<QVariantList> righe = {{QStringLiteral("nomi")}};
        for (int i = 0; i < casi.size(); ++i) {
            const auto& [pv, qta, costo, quantita] = casi.at(i);
            righe << QVariantList{QStringLiteral("Art %1").arg(i),
                                  qta,
                                  QString::number(100 + i),
                                  1.0,
                                  pv,
                                  1.0,
                                  22.0,
                                  QStringLiteral("C"),
                                  QStringLiteral("F")};
        }
        scriviXlsx(p(QStringLiteral("n.xlsx")), {{QStringLiteral("PRODOTTI"), righe}});
        QVERIFY2(importa(p(QStringLiteral("n.xlsx")), generico()), qPrintable(ui().asked.join(QLatin1Char('/'))));
        for (int i = 0; i < casi.size(); ++i) {
            const auto& [pv, qta, costo, quantita] = casi.at(i);
            const Articolo a = articolo(i + 1);
            QCOMPARE(a.costo, costo);
            QCOMPARE(a.quantita, quantita);
        }
        QCOMPARE(riepilogo.illeggibili, QList<int>({6, 6}));

        scriviTesto(p(QStringLiteral("t.txt")),
                    {QStringLiteral(";;;1;Uno;1;;;;1.234"), QStringLiteral(";;;2;Due;1;;;;1.234,50")});
        QVERIFY(importa(p(QStringLiteral("t.txt")), separato()));
        QCOMPARE(*articolo(1).costo, 1.23);
        QVERIFY(!articolo(2).costo);
        QCOMPARE(riepilogo.illeggibili, QList<int>{2});
    }

    // A value that is no number, not finite, negative or beyond a register's reach is never
    // stored; the import goes on and names the lines. Descriptions are cut as in spreadsheets.
    void valoriNonLeggibili()
    {
        const QStringList prezzi = {QStringLiteral("1e999"),
                                    QStringLiteral("NaN"),
                                    QStringLiteral("inf"),
                                    QStringLiteral("0x10"),
                                    QStringLiteral("-5"),
                                    QStringLiteral("3,50-"),
                                    QStringLiteral("12345678901234567890"),
                                    QStringLiteral("2,50")};
        QStringList l;
        for (int i = 0; i < prezzi.size(); ++i)
            l << QStringLiteral(";;;%1;%2;1;;;;%3")
                     .arg(i)
                     .arg(i == 7 ? QString(1 << 20, QLatin1Char('d')) : QStringLiteral("Art"), prezzi.at(i));
        for (int i = 0; i < 12; ++i)
            l << QStringLiteral(";;;x%1;Neg;1;;;;-1").arg(i);
        scriviTesto(p(QStringLiteral("v.txt")), l);
        QVERIFY(importa(p(QStringLiteral("v.txt")), separato()));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 20);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE Costo IS NOT NULL")).toInt(), 1);
        QCOMPARE(*articolo(8).costo, 2.5);
        QCOMPARE(articolo(8).descrizione, QString(50, QLatin1Char('d')));
        QVERIFY(riepilogo.testo().contains(
            QStringLiteral("\r\nValori non leggibili nelle righe: 1, 2, 3, 4, 5, 6, 7, 9, 10, 11 (e altre 9)")));
        QVERIFY(readAll(p(QStringLiteral("Dati/ErrorLog.dat"))).contains("Valori non leggibili nelle righe: 1, 2"));

        // Spreadsheet cells and supplier fields alike.
        const QVariant no;
        scriviXlsx(
            p(QStringLiteral("v.xlsx")),
            {{QStringLiteral("PRODOTTI"),
              {{QStringLiteral("nomi")},
               {QStringLiteral("Neg"), 1.0, QStringLiteral("S1"), 1.0, -5.0, 1.0, 22.0, no, QStringLiteral("F")},
               {QStringLiteral("Grande"), 1.0, QStringLiteral("S2"), 1.0, 1.0, 1e20, 22.0, no, QStringLiteral("F")},
               {QStringLiteral("Iva"), 1.0, QStringLiteral("S3"), 1.0, 1.0, 1.0, 1e300, no, QStringLiteral("F")},
               {QStringLiteral("Buono"), 1.0, QStringLiteral("S4"), 1.0, 999999.99, 1.0, 22.0, no,
                QStringLiteral("F")}}}});
        QVERIFY2(importa(p(QStringLiteral("v.xlsx")), generico()), qPrintable(ui().asked.join(QLatin1Char('/'))));
        QCOMPARE(riepilogo.illeggibili, QList<int>({2, 3, 4}));
        QVERIFY(!Articoli::perBarCode(QStringLiteral("S1")).valore->costo);
        QVERIFY(!Articoli::perBarCode(QStringLiteral("S2")).valore->costo2);
        QVERIFY(!Articoli::perBarCode(QStringLiteral("S3")).valore->codPV);
        QCOMPARE(*Articoli::perBarCode(QStringLiteral("S4")).valore->costo, 999999.99);

        scriviTesto(p(QStringLiteral("r.txt")), {campi({{1, QStringLiteral("R")},
                                                        {11, QStringLiteral("C1")},
                                                        {16, QStringLiteral("1e99")},
                                                        {21, QStringLiteral("-0000001")},
                                                        {29, QStringLiteral("00000")},
                                                        {34, QStringLiteral("Rcg")},
                                                        {82, QStringLiteral("R5")}})});
        ImpostazioniImport rcg;
        rcg.fornitore = QStringLiteral("RCG SERVICE");
        QVERIFY(importa(p(QStringLiteral("r.txt")), rcg));
        QCOMPARE(riepilogo.illeggibili, QList<int>({1, 1}));
        const Articolo a = *Articoli::perBarCode(QStringLiteral("R5")).valore;
        QVERIFY(!a.quantita && !a.costo2);
    }

    // Each refusal keeps its message and says why on the second line.
    void motiviDelRifiuto_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<int>("tipo"); // 0 text, 1 workbook switch on
        QTest::addColumn<QString>("prima");
        QTest::addColumn<QString>("seconda");
        const QString err = Listini::msgErrore();
        QByteArray utf16("\xFF\xFE", 2);
        for (const QChar c : QStringLiteral(";;;1;Pane;1;;;;1\r\n"))
            utf16 += char(c.unicode()) + QByteArray(1, '\0');
        QTest::newRow("UTF-16") << utf16 << 0 << err
                                << QStringLiteral(
                                       "Il file è in codifica UTF-16 (Unicode): salvarlo come testo Windows-1252");
        QTest::newRow("UTF-16 senza BOM")
            << utf16.mid(2) << 0 << err
            << QStringLiteral("Il file è in codifica UTF-16 (Unicode): salvarlo come testo Windows-1252");
        QByteArray nul(";;;1;Pane;1;;;;1\r\n;;;2;Sale;1;;;;1\n;;;3;Olio");
        nul += '\0';
        nul += ";1;;;;1\r\n";
        QTest::newRow("byte NUL") << nul << 0 << err
                                  << QStringLiteral("Il file contiene byte NUL alla riga 3: non è un file di testo");
        QTest::newRow("colonna mancante") << QByteArray(";;;1;Pane;1;;;;2\r\n;;;2;Sale\r\n") << 0 << err
                                          << QStringLiteral("La riga 2 ha 5 colonne, ma ne servono 10");
        QTest::newRow("UTF-8") << QByteArray(";;;1;Pane;1;;;;1\r\n;;;2;Caff\xC3\xA8;1;;;;1\r\n") << 0 << err
                               << QStringLiteral("Il file è in codifica UTF-8 (riga 2): salvarlo come testo "
                                                 "Windows-1252");
        QTest::newRow("immagine come cartella")
            << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << 1 << Listini::msgImpossibile() << QString();
    }
    void motiviDelRifiuto()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(int, tipo);
        QFETCH(QString, prima);
        QFETCH(QString, seconda);
        const QString path = p(QStringLiteral("m.xls"));
        writeRaw(path, contenuto);
        if (seconda.isEmpty()) // the workbook reader's own reason
            QVERIFY(!apriCartella(path, &seconda) && !seconda.isEmpty());
        ImpostazioniImport imp = tipo == 1 ? generico() : separato();
        QVERIFY(!importa(path, imp));
        QCOMPARE(ui().asked.last(), prima + QLatin1Char('\n') + seconda);
        QVERIFY(readAll(p(QStringLiteral("Dati/ErrorLog.dat"))).contains(TextFile::encode(seconda)));
    }

    // A full disk is told as such, in the message and in the log, and changes nothing.
    void discoPieno()
    {
        for (int i = 0; i < 10; ++i)
            nuovo(QString::number(900000 + i), 1);
        const QString prima = fotografia();
        QStringList l;
        for (int i = 0; i < 3000; ++i)
            l << QStringLiteral(";;;%1;Articolo con una descrizione lunga %1;1;;;;1,5").arg(i);
        scriviTesto(p(QStringLiteral("g.txt")), l);
        const int pagine = valoreDb(QStringLiteral("PRAGMA page_count")).toInt();
        QVERIFY(Db::exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pagine + 2)));
        const bool fatto = importa(p(QStringLiteral("g.txt")), separato());
        QVERIFY(Db::exec(QStringLiteral("PRAGMA max_page_count = 1073741823")));
        QVERIFY(!fatto);
        QCOMPARE(ui().asked.last(),
                 Listini::msgErrore() + QStringLiteral("\nDisco pieno: liberare spazio e riprovare - L'archivio non "
                                                       "è stato modificato"));
        const QByteArray log = readAll(p(QStringLiteral("Dati/ErrorLog.dat")));
        QVERIFY(log.contains("Des.:Disco pieno: ") && log.contains("Err.N.:61"));
        QVERIFY(!log.contains("Autorizzazione negata"));
        QCOMPARE(fotografia(), prima);
    }

    // Another program holds the database: the user is told so in Italian, not asked to check the
    // selections, nor shown SQLite's words or the statement that met it; the archive is unchanged.
    void archivioInUso_data()
    {
        QTest::addColumn<QString>("fornitore");
        QTest::newRow("testo: la copia dell'archivio") << QString();
        QTest::newRow("fornitore: il nuovo codice") << QStringLiteral("RCG SERVICE");
    }
    void archivioInUso()
    {
        QFETCH(QString, fornitore);
        nuovo(QStringLiteral("900000"), 1);
        const QString prima = fotografia();
        scriviTesto(p(QStringLiteral("l.txt")),
                    {fornitore.isEmpty() ? QStringLiteral(";;;800;Pane;1;;;;1,20")
                                         : rigaRCG(QStringLiteral("7"), QStringLiteral("00001"), QStringLiteral("Pane"),
                                                   QStringLiteral("800"))});
        ImpostazioniImport imp = separato();
        imp.fornitore = fornitore;
        QVERIFY(Db::exec(QStringLiteral("PRAGMA busy_timeout = 200"))); // the wait is not what this is about
        {
            QSqlDatabase altro = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
            altro.setDatabaseName(Db::currentPath());
            QVERIFY(altro.open());
            QSqlQuery q(altro);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(!importa(p(QStringLiteral("l.txt")), imp));
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            q.finish();
            altro.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("altro"));
        QCOMPARE(ui().asked, QStringList{Db::testoInUso() + QStringLiteral(" - L'archivio non è stato modificato")});
        QCOMPARE(fotografia(), prima);
    }

    // A write that fails half-way leaves the archive exactly as it was.
    void guastoAMetaScrittura_data()
    {
        QTest::addColumn<int>("motore");
        QTest::newRow("testo") << 0;
        QTest::newRow("fornitore") << 1;
        QTest::newRow("foglio generico") << 2;
        QTest::newRow("foglio fornitore") << 3;
    }
    void guastoAMetaScrittura()
    {
        QFETCH(int, motore);
        for (int i = 0; i < 10; ++i)
            nuovo(QString::number(900000 + i), 1);
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, 'E1')")));
        const QString prima = fotografia();
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER guasto BEFORE INSERT ON Magazzino WHEN "
                                        "trim(NEW.Descrizione) = 'Art 500' BEGIN SELECT RAISE(ABORT, 'guasto'); END")));
        const QString path = p(motore >= 2 ? QStringLiteral("w.xlsx") : QStringLiteral("w.txt"));
        ImpostazioniImport imp = separato();
        if (motore == 0) {
            QStringList l;
            for (int i = 0; i < 800; ++i)
                l << QStringLiteral(";;;%1;Art %1;1;;;;1,5").arg(i);
            scriviTesto(path, l);
        } else if (motore == 1) {
            QStringList l;
            for (int i = 0; i < 800; ++i)
                l << campi({{1, QStringLiteral("R")},
                            {11, QString::number(i)},
                            {16, QStringLiteral("00001")},
                            {34, QStringLiteral("Art %1").arg(i)},
                            {82, QString::number(i)}});
            scriviTesto(path, l);
            imp.fornitore = QStringLiteral("RCG SERVICE");
        } else {
            QList<QVariantList> righe = {{QStringLiteral("nomi")}};
            for (int i = 0; i < 800; ++i) {
                if (motore == 2)
                    righe << QVariantList{QStringLiteral("Art %1").arg(i),
                                          1.0,
                                          QString::number(i),
                                          1.0,
                                          1.0,
                                          1.0,
                                          22.0,
                                          1.0,
                                          QStringLiteral("F")};
                else
                    righe << QVariantList{double(i + 1), QString::number(i), QStringLiteral("Art %1").arg(i)};
            }
            scriviXlsx(path, {{QStringLiteral("PRODOTTI"), righe}});
            imp = generico();
            if (motore == 3)
                imp.fornitore = QStringLiteral("F");
        }
        QVERIFY(!importa(path, imp));
        QCOMPARE(primaRiga(ui().asked.last()), motore >= 2 ? Listini::msgImpossibile() : Listini::msgErrore());
        QVERIFY(Db::exec(QStringLiteral("DROP TRIGGER guasto")));
        QCOMPARE(fotografia(), prima);
        QCOMPARE(Db::transactionDepth(), 0);
        QVERIFY(readAll(p(QStringLiteral("Dati/ErrorLog.dat"))).contains("guasto"));
    }

    // Departments that cannot be read fail the import: no article gets an empty or made-up one.
    void repartiIlleggibili_data()
    {
        QTest::addColumn<bool>("foglio");
        QTest::newRow("testo: il nome del reparto") << false;
        QTest::newRow("foglio generico: il reparto dell'IVA") << true;
    }
    void repartiIlleggibili()
    {
        QFETCH(bool, foglio);
        nuovo(QStringLiteral("900000"), 1);
        const QString prima = fotografia();
        const QString path = p(foglio ? QStringLiteral("r.xlsx") : QStringLiteral("r.txt"));
        if (foglio)
            scriviXlsx(path, {{QStringLiteral("PRODOTTI"),
                               {{QStringLiteral("nomi")},
                                {QStringLiteral("Pane"), 1.0, QStringLiteral("800"), 1.0, 1.0, 1.0, 22.0,
                                 QStringLiteral("K1"), QStringLiteral("F")}}}});
        else
            scriviTesto(path, {QStringLiteral(";;;800;Pane;5;;;;1,20")});
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Reparti RENAME TO RepartiAltrove")));
        QVERIFY(!importa(path, foglio ? generico() : separato()));
        QCOMPARE(primaRiga(ui().asked.value(0)), foglio ? Listini::msgImpossibile() : Listini::msgErrore());
        QCOMPARE(fotografia(), prima);
        QVERIFY(readAll(p(QStringLiteral("Dati/ErrorLog.dat")))
                    .contains(foglio ? "*-Funzioni-TrovaCodiceRepXIVA-]" : "*-Funzioni-TrovaNomeRep-]"));
    }
};

QTEST_GUILESS_MAIN(TstMotori)
#include "tst_motori.moc"
