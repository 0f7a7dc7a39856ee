// The article table's bulk look-ups and writes against the single-row store.
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Database.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

// Every field, so that a column bound or read out of place shows.
QVariantList campi(const Articolo& a)
{
    const auto n = [](const std::optional<double>& d) { return d ? QVariant(*d) : QVariant(); };
    return {a.codMateriale,
            a.descrizione,
            n(a.quantita),
            n(a.costo),
            a.unitaMisura,
            n(a.minimo),
            a.genere,
            a.fornitore,
            a.eliminato ? 1 : 0,
            a.taglia,
            a.colore,
            a.tipoMateriale,
            a.barCode,
            n(a.costo2),
            a.codProdottoFornitore,
            n(a.codPV),
            a.modificato ? 1 : 0,
            a.tipoVariazione,
            a.note,
            n(a.periodoRiordino),
            a.codArtCEDI,
            a.dataInizioPromo,
            a.dataFinePromo,
            n(a.prezzoPromo),
            a.descrizione.isNull(),
            a.note.isNull()};
}

// The stored row by column name, as text, in campi()'s order.
QStringList riga(qint64 codice)
{
    QSqlQuery q = Db::query(
        QStringLiteral("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, Minimo, Genere, "
                       "Fornitore, Eliminato, Taglia, Colore, TipoMateriale, BarCode, Costo2, CodProdottoFornitore, "
                       "CodPV, Modificato, TipoVariazione, Note, PeriodoRiordino, CodArtCEDI, DataInizioPromo, "
                       "DataFinePromo, PrezzoPromo FROM Magazzino WHERE CodMateriale = ?"),
        {codice});
    QStringList t;
    if (q.next())
        for (int i = 0; i < 24; ++i)
            t << q.value(i).toString();
    return t;
}

QStringList testi(const QVariantList& v)
{
    QStringList t;
    for (int i = 0; i < 24; ++i)
        t << v.at(i).toString();
    return t;
}

Articolo pieno()
{
    Articolo a;
    a.descrizione = QStringLiteral("Caffè d'orzo");
    a.quantita = 12.5;
    a.costo = 3.2;
    a.unitaMisura = QStringLiteral("Pz");
    a.minimo = 2;
    a.genere = QStringLiteral("Bar");
    a.fornitore = QStringLiteral("Rossi");
    a.eliminato = true;
    a.taglia = QStringLiteral("M");
    a.colore = QStringLiteral("Blu");
    a.tipoMateriale = QStringLiteral("T");
    a.barCode = QStringLiteral("08001234567890");
    a.costo2 = 1.75;
    a.codProdottoFornitore = QStringLiteral("F'9");
    a.codPV = 22;
    a.modificato = true;
    a.tipoVariazione = QStringLiteral("F");
    a.periodoRiordino = 30;
    a.codArtCEDI = QStringLiteral("C7");
    a.dataInizioPromo = QStringLiteral("2024-01-02");
    a.dataFinePromo = QStringLiteral("2024-02-03");
    a.prezzoPromo = 2.9;
    return a; // note stays Null
}

} // namespace

class TstArticoliLotto : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A row written by one side reads back whole through the other.
    void righeComeIlSingolo()
    {
        TestEnv env;
        Articoli::Lotto l;
        Articolo a = pieno();
        QVERIFY(l.inserisci(a));
        QCOMPARE(a.codMateriale, 1); // code 0 takes the next one
        QCOMPARE(riga(1), testi(campi(a)));
        QCOMPARE(campi(*Articoli::perCodice(1).valore), campi(a));

        Articolo b = pieno();
        b.barCode = QStringLiteral("8001234567890");
        b.quantita.reset();
        b.codProdottoFornitore = QStringLiteral("f'9");
        QVERIFY(Articoli::inserisci(b));
        QCOMPARE(riga(2), testi(campi(b)));
        QCOMPARE(campi(*l.perBarCode(QStringLiteral("8001234567890")).valore), campi(b));
        QCOMPARE(campi(*l.perCodiceFornitore(QStringLiteral("f'9")).valore), campi(b)); // exact case
        QCOMPARE(l.perCodiceCEDI(QStringLiteral("C7")).valore->codMateriale, 1);        // the first by code
        QCOMPARE(*l.codicePerCodiceCEDI(QStringLiteral("C7")).valore, 1);
        QVERIFY(l.perBarCode(QStringLiteral("8001234567890 ")).ok);
        QVERIFY(!l.perBarCode(QStringLiteral("8001234567890 ")).valore);
        QVERIFY(!l.inserisci(a)); // the same code twice

        // Only the chosen columns are written; the others keep what is stored.
        Articoli::Lotto soloPrezzo({QStringLiteral("Costo")});
        Articolo c = b;
        c.costo = 9;
        c.descrizione = QStringLiteral("Altro");
        QVERIFY(soloPrezzo.aggiorna(c));
        b.costo = 9;
        QCOMPARE(campi(*Articoli::perCodice(2).valore), campi(b));
        c.codMateriale = 77;
        QVERIFY(!soloPrezzo.aggiorna(c));
        QVERIFY(soloPrezzo.errore().contains(QStringLiteral("77")));
    }

    // What a booking and a central-warehouse file use: stock, extra barcodes, barcode marks.
    void giacenzeEBarCode()
    {
        TestEnv env;
        for (const char* sql : {"INSERT INTO Magazzino (CodMateriale, BarCode, \"Quantità\", CodArtCEDI) "
                                "VALUES (5, 'B1', 4, 'C1'), (3, 'B1', NULL, 'C1'), (8, 'B2', 1.5, NULL)",
                                "INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (8, 'E1'), (5, 'E1')"})
            QVERIFY(Db::exec(QString::fromUtf8(sql)));
        Articoli::Lotto l;
        const auto g = l.giacenzaPerBarCode(QStringLiteral("B1"));
        QCOMPARE(g.valore->codice, 3);
        QVERIFY(!g.valore->quantita); // Null stays Null
        QCOMPARE(*l.giacenzaPerCodice(5).valore->quantita, 4.0);
        QVERIFY(l.giacenzaPerCodice(6).ok);
        QVERIFY(!l.giacenzaPerCodice(6).valore);
        QCOMPARE(*l.codicePerBarCodeUlteriore(QStringLiteral("E1")).valore, 8); // the first stored
        QVERIFY(!l.codicePerBarCodeUlteriore(QStringLiteral("E2")).valore);

        QVERIFY(l.impostaQuantita(8, -2.5));
        QCOMPARE(*Articoli::perCodice(8).valore->quantita, -2.5);
        QVERIFY(!l.impostaQuantita(9, 1));

        QVERIFY(*l.esisteCodiceCEDIConBarCode(QStringLiteral("C1"), QStringLiteral("B1")).valore);
        QVERIFY(!*l.esisteCodiceCEDIConBarCode(QStringLiteral("C1"), QStringLiteral("B2")).valore);
        QVERIFY(l.impostaBarCode(8, QStringLiteral("0099")));
        QCOMPARE(Articoli::perCodice(8).valore->barCode, QStringLiteral("0099"));
        QVERIFY(Articoli::perCodice(8).valore->modificato);
    }

    // A statement that cannot run is a failure, never "no such article", before and after its
    // first use.
    void letturaFallitaNonENiente()
    {
        TestEnv env;
        Articoli::Lotto l;
        QVERIFY(l.giacenzaPerBarCode(QStringLiteral("1")).ok);
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Magazzino RENAME TO Altro")));
        for (const auto& r : {l.perBarCode(QStringLiteral("1")), l.perCodiceFornitore(QStringLiteral("1")),
                              l.perCodiceCEDI(QStringLiteral("1"))})
            QVERIFY(!r.ok && !r.errore.isEmpty());
        QVERIFY(!l.giacenzaPerBarCode(QStringLiteral("1")).ok);
        QVERIFY(!l.esisteCodiceCEDIConBarCode(QStringLiteral("1"), QStringLiteral("2")).ok);
        Articolo a;
        QVERIFY(!l.inserisci(a));
        QCOMPARE(a.codMateriale, 0);
        QVERIFY(!l.errore().isEmpty());
    }
};

QTEST_MAIN(TstArticoliLotto)
#include "tst_articolilotto.moc"
