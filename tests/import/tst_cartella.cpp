// The workbook readers: sheets in tab order with "$", the column-name row left out, typed cells
// turned into text as the Italian CStr does, both relationship-target forms, damaged packages.
// Also the article store's bulk statements the engines use.
#include "Fixtures.h"
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "import/ArchivioZip.h"
#include "import/Cartella.h"
#include "support/TestEnv.h"

#include <QtTest>

class TstCartella : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnv> m_env;

    QList<RigaCelle> righe(const Cartella& c, const QString& foglio, int* larghezza = nullptr)
    {
        QList<RigaCelle> out;
        QString e;
        if (!c.leggiFoglio(
                foglio,
                [&](const RigaCelle& r) {
                    out << r;
                    return true;
                },
                &e, larghezza))
            qWarning() << e;
        return out;
    }

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup() { m_env.reset(); }

    void testoDelleCelle()
    {
        QCOMPARE(Cella::daNumero(12.5).comeTesto(), QStringLiteral("12,5"));
        QCOMPARE(Cella::daNumero(8001234567890.0).comeTesto(), QStringLiteral("8001234567890"));
        QCOMPARE(Cella::daNumero(-0.1).comeTesto(), QStringLiteral("-0,1"));
        QCOMPARE(Cella::daBooleano(true).comeTesto(), QStringLiteral("Vero"));
        QCOMPARE(Cella::daBooleano(false).comeTesto(), QStringLiteral("Falso"));
        QCOMPARE(Cella::daSerialeData(45658).comeTesto(), QStringLiteral("01/01/2025"));
        QCOMPARE(Cella::daSerialeData(45658.5).comeTesto(), QStringLiteral("01/01/2025 12.00.00"));
        QCOMPARE(Cella().comeTesto(), QString());
        QCOMPARE(Cella::daTesto(QStringLiteral("L'olio")).comeTesto(), QStringLiteral("L'olio"));
    }

    void fogliERighe_data() { colonnaScrittori(); }
    void fogliERighe()
    {
        QFETCH(int, scrittore);
        const QVariant no;
        const QList<Foglio> fogli = {{QStringLiteral("Zeta"), {{QStringLiteral("A")}, {1.0}}},
                                     {QStringLiteral("L'elenco"),
                                      {{QStringLiteral("Cod"), QStringLiteral("Nome"), QStringLiteral("Prezzo")},
                                       {8001234567890.0, QStringLiteral("Caffè \"Oro\""), 12.5, no, true},
                                       {no, no, no},
                                       {QStringLiteral("x"), QDate(2025, 1, 31), false}}},
                                     {QStringLiteral("Vuoto"), {{QStringLiteral("solo nomi")}}}};
        const QString path = scriviCartella(scrittore, m_env->path(QStringLiteral("c")), fogli);
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        QCOMPARE(c->fogli(),
                 (QStringList{QStringLiteral("Zeta$"), QStringLiteral("L'elenco$"), QStringLiteral("Vuoto$")}));
        int larghezza = 0;
        const auto r = righe(*c, QStringLiteral("L'elenco$"), &larghezza);
        QCOMPARE(larghezza, 5);
        // Empty rows may or may not be handed out; the data rows come in order.
        QList<RigaCelle> piene;
        for (const RigaCelle& x : r) {
            if (std::any_of(x.begin(), x.end(), [](const Cella& k) { return !k.vuota(); }))
                piene << x;
        }
        QCOMPARE(piene.size(), 2);
        QCOMPARE(piene.at(0).at(0).tipo, Cella::Tipo::Numero);
        QCOMPARE(piene.at(0).at(0).comeTesto(), QStringLiteral("8001234567890"));
        QCOMPARE(piene.at(0).at(1).comeTesto(), QStringLiteral("Caffè \"Oro\""));
        QCOMPARE(piene.at(0).at(2).comeTesto(), QStringLiteral("12,5"));
        QVERIFY(piene.at(0).at(3).vuota());
        // freexl hands out an .xls boolean as the number 1 or 0.
        const bool xls = scrittore == 2;
        QCOMPARE(piene.at(0).at(4).comeTesto(), xls ? QStringLiteral("1") : QStringLiteral("Vero"));
        QCOMPARE(piene.at(1).at(1).tipo, Cella::Tipo::Data);
        QCOMPARE(piene.at(1).at(1).comeTesto(), QStringLiteral("31/01/2025"));
        QCOMPARE(piene.at(1).at(2).comeTesto(), xls ? QStringLiteral("0") : QStringLiteral("Falso"));
        QVERIFY(righe(*c, QStringLiteral("Vuoto$")).isEmpty());
    }

    void pacchettiDanneggiati()
    {
        const QString path = m_env->path(QStringLiteral("d.xlsx"));
        QList<QVariantList> molte = {{QStringLiteral("nomi")}};
        for (int i = 0; i < 3000; ++i)
            molte << QVariantList{QStringLiteral("riga %1 con un testo abbastanza lungo").arg(i), double(i)};
        scriviXlsx(path, {{QStringLiteral("PRODOTTI"), molte}});
        const QByteArray buono = readAll(path);
        QString e;
        // Every cut and a few flipped bytes: refused or read, never a crash.
        for (int taglio = 0; taglio < buono.size(); taglio += 97) {
            writeRaw(path, buono.left(taglio));
            if (auto c = apriCartella(path, &e))
                righe(*c, c->fogli().value(0));
        }
        for (int i = 0; i < 200; ++i) {
            QByteArray b = buono;
            b[(i * 7919) % b.size()] = char(i * 31);
            writeRaw(path, b);
            if (auto c = apriCartella(path, &e))
                righe(*c, c->fogli().value(0));
        }
        writeRaw(path, buono);
        ArchivioZip z;
        QVERIFY(z.apri(path, &e));
        QByteArray foglio;
        QVERIFY(z.leggi(QStringLiteral("xl/worksheets/sheet1.xml"), foglio, &e));
        QVERIFY(foglio.contains("<sheetData>"));
        QVERIFY(!z.leggi(QStringLiteral("xl/nulla.xml"), foglio, &e));
    }

    void lottoDelleImportazioni()
    {
        Articoli::Lotto l;
        Articolo a;
        a.codMateriale = 7;
        a.barCode = QStringLiteral("B'1");
        a.codProdottoFornitore = QStringLiteral("F'1");
        a.descrizione = QStringLiteral("Uno");
        QVERIFY(l.inserisci(a));
        QVERIFY(!l.inserisci(a)); // the same code twice
        auto r = l.perBarCode(QStringLiteral("B'1"));
        QVERIFY(r.trovatoValore());
        QCOMPARE(r.valore->descrizione, QStringLiteral("Uno"));
        QVERIFY(l.perCodiceFornitore(QStringLiteral("F'1")).trovatoValore());
        QVERIFY(l.perBarCode(QStringLiteral("nessuno")).ok);
        QVERIFY(!l.perBarCode(QStringLiteral("nessuno")).valore);
        a.quantita = 3;
        QVERIFY(l.aggiorna(a));
        QCOMPARE(*Articoli::perCodice(7).valore->quantita, 3.0);
        a.codMateriale = 8;
        QVERIFY(!l.aggiorna(a)); // no such row
    }
};

QTEST_GUILESS_MAIN(TstCartella)
#include "tst_cartella.moc"
