// The article store and nesting transactions.
#include "core/Articoli.h"
#include "core/Database.h"
#include "support/TestEnv.h"

#include <QtTest>
#include <tuple>

class TstArticoli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup() { m_env.reset(); }

    void insertReadUpdateDelete()
    {
        QCOMPARE(*Articoli::nuovoCodice(), 1);
        Articolo a;
        a.descrizione = QStringLiteral("L'Oreal shampoo");
        a.barCode = QStringLiteral("0801234567890");
        a.codProdottoFornitore = QStringLiteral("AB'12");
        a.costo = 3.5;
        QVERIFY(Articoli::inserisci(a));
        QCOMPARE(a.codMateriale, 1);
        Articolo b = a;
        b.codMateriale = 0;
        b.barCode = QStringLiteral("801234567890");
        QVERIFY(Articoli::inserisci(b));
        QCOMPARE(b.codMateriale, 2);

        auto r = Articoli::perBarCode(QStringLiteral("0801234567890"));
        QVERIFY(r.trovatoValore());
        QCOMPARE(r.valore->codMateriale, 1);
        QCOMPARE(r.valore->descrizione, QStringLiteral("L'Oreal shampoo"));
        QVERIFY(!r.valore->quantita.has_value()); // Null stays Null
        QCOMPARE(*r.valore->costo, 3.5);
        r = Articoli::perCodiceFornitore(QStringLiteral("AB'12"));
        QCOMPARE(r.valore->codMateriale, 1); // the first by code
        QVERIFY(Articoli::perBarCode(QStringLiteral("x")).ok);
        QVERIFY(!Articoli::perBarCode(QStringLiteral("x")).valore);

        b.quantita = 7;
        QVERIFY(Articoli::aggiorna(b));
        QCOMPARE(*Articoli::perCodice(2).valore->quantita, 7.0);
        Articolo missing = b;
        missing.codMateriale = 99;
        QVERIFY(!Articoli::aggiorna(missing));

        QVERIFY(Articoli::elimina(2));
        QCOMPARE(*Articoli::nuovoCodice(), 2); // a deleted highest code comes back

        int n = 0;
        QVERIFY(Articoli::perOgni([&](const Articolo&) { return ++n, true; }));
        QCOMPARE(n, 1);
    }

    // Barcodes and supplier codes are compared exactly (case and leading zeros); the supplier list
    // leaves out empty and Null suppliers; a delete takes only its
    // own article's extra barcodes and promotions.
    void caseOrderAndDependents()
    {
        for (const auto& [cod, bc, forn, codForn] :
             {std::tuple{1, "ABC'1", "Rossi", "f'1"}, std::tuple{2, "abc'1", "", "F'1"},
              std::tuple{3, "X", "bianchi", ""}}) {
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, BarCode, Fornitore, "
                                            "CodProdottoFornitore) VALUES (?, ?, ?, ?)"),
                             {cod, bc, forn, codForn}));
        }
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Fornitore) VALUES (4, NULL)")));
        QCOMPARE(Articoli::perBarCode(QStringLiteral("abc'1")).valore->codMateriale, 2);
        QCOMPARE(Articoli::perBarCode(QStringLiteral("ABC'1")).valore->codMateriale, 1);
        QCOMPARE(Articoli::perCodiceFornitore(QStringLiteral("F'1")).valore->codMateriale, 2);
        QStringList fornitori = *Articoli::fornitori().valore; // in the database's order
        fornitori.sort();
        QCOMPARE(fornitori, QStringList({"Rossi", "bianchi"}));

        QCOMPARE(Articoli::codiceDaTesto(QStringLiteral(" 12 ")), std::optional<qint64>(12));
        QVERIFY(!Articoli::codiceDaTesto(QStringLiteral("12a")));
        QVERIFY(!Articoli::codiceDaTesto(QString()));

        QVERIFY(
            Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, 'E1'), (3, 'E3')")));
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, PrzScnt) VALUES (1, 1), (3, 2)")));
        QVERIFY(Articoli::elimina(1));
        QVERIFY(!Articoli::perCodice(1).valore);
        QCOMPARE(*Articoli::codicePerBarCodeUlteriore(QStringLiteral("E3")).valore, 3);
        QVERIFY(!Articoli::codicePerBarCodeUlteriore(QStringLiteral("E1")).valore);
        QCOMPARE(valoreDb(QStringLiteral("SELECT group_concat(Articolo) FROM Offerte")).toString(), QString("3"));
        QCOMPARE(*Articoli::nuovoCodice(), 5);
    }

    void failedReadIsNotNothing()
    {
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Magazzino RENAME TO Altro")));
        const auto r = Articoli::perBarCode(QStringLiteral("1"));
        QVERIFY(!r.ok);
        QVERIFY(!Articoli::nuovoCodice());
        QVERIFY(!Articoli::fornitori().ok);
    }

    void nestedTransactionKeepsOuterWork()
    {
        Db::Transaction outer;
        QVERIFY(outer.ok());
        Articolo a;
        a.descrizione = QStringLiteral("esterno");
        QVERIFY(Articoli::inserisci(a)); // itself a savepoint inside `outer`
        {
            Db::Transaction inner;
            QVERIFY(inner.nested());
            Articolo b;
            b.descrizione = QStringLiteral("interno");
            QVERIFY(Articoli::inserisci(b));
            // leaves without commit: only the inner work goes
        }
        QCOMPARE(Db::transactionDepth(), 1);
        QVERIFY(outer.commit());
        QCOMPARE(Db::transactionDepth(), 0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 1);
        QCOMPARE(valoreDb(QStringLiteral("SELECT Descrizione FROM Magazzino")).toString(), QStringLiteral("esterno"));
    }

    void outerRollbackUndoesCommittedInner()
    {
        {
            Db::Transaction outer;
            Db::Transaction inner;
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (Descrizione) VALUES ('x')")));
            QVERIFY(inner.commit());
        }
        QCOMPARE(Db::transactionDepth(), 0);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 0);
    }

    void wholeArchiveByDescription()
    {
        for (const char* d : {"pane", "Acqua", "Burro", "acqua"}) {
            Articolo a;
            a.descrizione = QString::fromUtf8(d);
            a.quantita = 1;
            QVERIFY(Articoli::inserisci(a));
        }
        QStringList visti;
        QVERIFY(Articoli::perOgniPerDescrizione([&](const Articolo& a) { return visti << a.descrizione, true; }));
        QCOMPARE(visti, (QStringList{"Acqua", "acqua", "Burro", "pane"}));
        visti.clear();
        QVERIFY(Articoli::perOgniPerDescrizione([&](const Articolo& a) { return visti << a.descrizione, true; },
                                                QStringLiteral("CodMateriale > ?"), {2}));
        QCOMPARE(visti, (QStringList{"acqua", "Burro"}));
    }

    // The marks the article window and the label window ask about; a failed read is no "none".
    void marksAskedAbout()
    {
        QCOMPARE(*Articoli::ciSonoModificati().valore, false);
        QCOMPARE(*Articoli::contaFrontaliniOModificati().valore, qint64(0));
        Articolo a;
        a.tipoVariazione = QStringLiteral("N");
        QVERIFY(Articoli::inserisci(a));
        Articolo f;
        f.tipoVariazione = QStringLiteral("F");
        QVERIFY(Articoli::inserisci(f));
        QCOMPARE(*Articoli::ciSonoModificati().valore, false);
        QCOMPARE(*Articoli::contaFrontaliniOModificati().valore, qint64(1));
        QVERIFY(Articoli::marcaModificato(a.codMateriale));
        QVERIFY(Articoli::marcaModificato(f.codMateriale));
        QCOMPARE(*Articoli::ciSonoModificati().valore, true);
        QCOMPARE(*Articoli::contaFrontaliniOModificati().valore, qint64(2)); // each article once

        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Magazzino RENAME TO Altro")));
        QVERIFY(!Articoli::ciSonoModificati().ok);
        QVERIFY(!Articoli::contaFrontaliniOModificati().ok);
    }

    void departmentVatByDescription()
    {
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Casa', Iva = 22 WHERE Cod = 3")));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Pane', Iva = NULL WHERE Cod = 4")));
        QCOMPARE(*Articoli::ivaRepartoPerDescrizione(QStringLiteral("Casa")).valore, 22.0);
        const auto nulla = Articoli::ivaRepartoPerDescrizione(QStringLiteral("Pane"));
        QVERIFY(nulla.ok && !nulla.valore);
        const auto nessuno = Articoli::ivaRepartoPerDescrizione(QStringLiteral("Casa' OR 1=1 --"));
        QVERIFY(nessuno.ok && !nessuno.valore);
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Reparti RENAME TO Altro")));
        QVERIFY(!Articoli::ivaRepartoPerDescrizione(QStringLiteral("Casa")).ok);
    }

    // The code a register holds for an article, and the article found back by that code.
    void codeHeldByTheRegister()
    {
        QCOMPARE(Articoli::codiceInCassa(QStringLiteral("2012345000017")), QStringLiteral("12345"));
        QCOMPARE(Articoli::codiceInCassa(QStringLiteral("21234")), QStringLiteral("21234")); // five long: whole
        QCOMPARE(Articoli::codiceInCassa(QStringLiteral("21")), QString());
        QCOMPARE(Articoli::codiceInCassa(QStringLiteral("8012345")), QStringLiteral("8012345"));
        for (const char* bc : {"8012345000017", "2112345000031", "2012345000017", "21234"}) {
            Articolo a;
            a.barCode = QString::fromLatin1(bc);
            QVERIFY(Articoli::inserisci(a));
        }
        auto r = Articoli::perCodiceInCassa(QStringLiteral("12345"));
        QVERIFY(r.trovatoValore());
        QCOMPARE(r.valore->barCode, QStringLiteral("2112345000031"));       // the first by code
        QVERIFY(!Articoli::perCodiceInCassa(QStringLiteral("234")).valore); // "21234" is held whole
        QVERIFY(!Articoli::perCodiceInCassa(QStringLiteral("1234'")).valore);
        QVERIFY(!Articoli::perCodiceInCassa(QString()).valore);
    }

private:
    std::unique_ptr<TestEnv> m_env;
};

QTEST_MAIN(TstArticoli)
#include "tst_articoli.moc"
