// .xls price lists as other programs write them (the files in xls/, made by crea.sh there with
// LibreOffice and Gnumeric, BIFF8 and Excel 95): formula prices and texts are imported with their
// last results, a cell without a value (an error, a record the reader does not know) stops the
// import naming its row and column, rows of empty texts make no row, texts split across the
// workbook's continuation records come back whole.
#include "Biff.h"
#include "Fixtures.h"
#include "FlussoXls.h"
#include "core/Progress.h"
#include "import/Cartella.h"
#include "import/LettoreXls.h"
#include "support/ImportProva.h"
#include "support/TestEnv.h"

#include <QtEndian>
#include <QtTest>

namespace {

// An article's stored fields, found by barcode (or description), as one line to compare whole.
QString articolo(const QString& valore, const char* colonna = "BarCode")
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT Descrizione, Costo, Costo2, \"Quantità\", CodProdottoFornitore, "
                                           "Fornitore, CodPV, BarCode FROM Magazzino WHERE %1 = ?")
                                .arg(QLatin1String(colonna)),
                            {valore});
    if (!q.next())
        return QStringLiteral("(none)");
    QStringList c;
    for (int i = 0; i < 8; ++i)
        c << q.value(i).toString();
    return c.join(QLatin1Char('|'));
}

// The rows of sheet `foglio` as the import's reader gives them, with the error when it refuses.
QList<RigaCelle> righe(const QString& path, int foglio, QString* errore)
{
    QList<RigaCelle> out;
    const auto c = apriCartella(path, errore);
    if (!c || !c->leggiFoglio(
                  c->fogli().value(foglio),
                  [&](const RigaCelle& r) {
                      out << r;
                      return true;
                  },
                  errore))
        return {};
    return out;
}

// The BIFF record of type `tipo` in `b` whose cell is at `riga`, `colonna` (from 0): its offset.
qsizetype recordDiCella(const QByteArray& b, quint16 tipo, quint16 riga, quint16 colonna)
{
    for (qsizetype i = b.indexOf(le16(tipo)); i >= 0; i = b.indexOf(le16(tipo), i + 1)) {
        if (b.mid(i + 4, 4) == le16(riga) + le16(colonna))
            return i;
    }
    return -1;
}

} // namespace

class TstXls : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnv> m_env;

    static void colonnaFile()
    {
        QTest::addColumn<QString>("file");
        const QString d = QStringLiteral(TAVRINO_FILE_XLS "/");
        QTest::newRow("LibreOffice") << d + QStringLiteral("listino-libreoffice.xls");
        QTest::newRow("Gnumeric") << d + QStringLiteral("listino-gnumeric.xls");
        QTest::newRow("Gnumeric, Excel 95") << d + QStringLiteral("listino-gnumeric-excel95.xls");
    }

    // Through the user's path: "Impossibile eseguire l'importazione" with `motivo` on the second
    // line, and the archive untouched.
    void rifiutata(const QString& path, const ImpostazioniImport& imp, const QString& motivo)
    {
        const QString prima = fotografia();
        NoProgress sink;
        m_env->clearMessages();
        QVERIFY(!Listini::EseguiImportazione(path, imp, m_env->interazione(), sink));
        QCOMPARE(m_env->messages(), QStringList{QStringLiteral("Impossibile eseguire l'importazione\n") + motivo});
        QCOMPARE(fotografia(), prima);
    }

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup() { m_env.reset(); }

    // The sheet "PRODOTTI": prices that are formulas (cost x mark-up), descriptions that are
    // formulas, a row of formulas giving empty texts, typographic quotes, a boolean, a date.
    void listiniDiAltriProgrammi_data() { colonnaFile(); }
    void listiniDiAltriProgrammi()
    {
        QFETCH(QString, file);
        NoProgress sink;
        Listini::RiepilogoImport riepilogo;
        QVERIFY(Listini::EseguiImportazione(file, generico(), m_env->interazione(), sink, &riepilogo));
        QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 5, saltate: 0"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 5);
        QCOMPARE(articolo(QStringLiteral("8001234567890")),
                 QStringLiteral("Olio extravergine 1 l|6.3|4.2|3|OL-1|Rossi|22|8001234567890"));
        QCOMPARE(articolo(QStringLiteral("8001234567906")),
                 QStringLiteral("Pasta di semola 500 g|1.08|0.8|10|PA-2|Rossi|10|8001234567906"));
        QCOMPARE(articolo(QStringLiteral("8001234567913")),
                 QStringLiteral("Caffè “Oro” l'espresso|5.9|3.1|2|Vero|31/01/2025|22|8001234567913"));
        QCOMPARE(articolo(QStringLiteral("8001234567920")),
                 QStringLiteral("SALE GROSSO|0.9|0.45|7|Vero|Bianchi|4|8001234567920"));
        QCOMPARE(articolo(QStringLiteral("Zucchero"), "Descrizione"), QStringLiteral("Zucchero|0|1.1|1|||22|"));
    }

    // The first sheet, "Errori", holds a price whose formula gives #DIV/0!: the supplier import
    // of it stops, naming the cell, and writes nothing (not even the good row before it).
    void erroreDiUnaFormula_data() { colonnaFile(); }
    void erroreDiUnaFormula()
    {
        QFETCH(QString, file);
        ImpostazioniImport imp;
        imp.fileExcel = true;
        imp.fornitore = QStringLiteral("Rossi");
        rifiutata(
            file, imp,
            QStringLiteral("La cella della riga 3, colonna F contiene l'errore #DIV/0!: correggerla e riprovare"));
    }

    // An error cell (BOOLERR) and a value record of an older format in a workbook written here:
    // refused by row and column, never read as empty.
    void celleSenzaValore_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("motivo");
        // type BOOLERR, the cell, xf 0, #N/A, "is an error"; the rest of the old record's length
        QTest::newRow("#N/A") << le16(0x0205) + le16(14) + le16(2) + le16(4) + le16(15) + "\x2a\x01" +
                                     QByteArray(6, '\0')
                              << QStringLiteral(
                                     "La cella della riga 3, colonna E contiene l'errore #N/A: correggerla e "
                                     "riprovare");
        // An RK keeps only a double's top 30 bits: all of them set spell a NaN, no number.
        QTest::newRow("RK NaN") << le16(0x027e) + le16(14) + le16(2) + le16(4) + le16(15) + le32(0xfffffffc) +
                                       QByteArray(4, '\0')
                                << QStringLiteral("La cella della riga 3, colonna E non è leggibile (dato di "
                                                  "un tipo sconosciuto)");
        QTest::newRow("BIFF2 NUMBER") << le16(0x0003) + le16(14) + le16(2) + le16(4) + le16(15) + QByteArray(8, '\0')
                                      << QStringLiteral("La cella della riga 3, colonna E non è leggibile (dato di "
                                                        "un tipo sconosciuto)");
    }
    void celleSenzaValore()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, motivo);
        const QString path = m_env->path(QStringLiteral("e.xls"));
        const QVariantList nomi = {QStringLiteral("Des"), QStringLiteral("Qta"), QStringLiteral("BC"),
                                   QStringLiteral("Rep"), QStringLiteral("PV"),  QStringLiteral("ACQ"),
                                   QStringLiteral("IVA"), QStringLiteral("CF"),  QStringLiteral("For")};
        const QVariantList coda = {1.0, 22.0, QStringLiteral("x"), QStringLiteral("Rossi")};
        scriviXls(path,
                  {{QStringLiteral("PRODOTTI"),
                    {nomi, QVariantList{QStringLiteral("Pane"), 1.0, QStringLiteral("800"), 1.0, 1.23456789} + coda,
                     QVariantList{QStringLiteral("Latte"), 2.0, QStringLiteral("801"), 1.0, 2.3456789} + coda}}});
        QByteArray b = readAll(path);
        const qsizetype i = recordDiCella(b, 0x0203, 2, 4); // the NUMBER of E3
        QVERIFY(i > 0);
        b.replace(i, record.size(), record);
        writeRaw(path, b);
        rifiutata(path, generico(), motivo);
    }

    // A row whose cells hold only empty texts (or nothing) after a full row is no row: in the
    // child's answer, and in a workbook (xlwt writes them as blank cells).
    void rigaDiTestiVuotiDopoUnaPiena()
    {
        struct Righe final : DestinatarioXls
        {
            QList<quint32> indici;
            void foglio(const QString&) override {}
            bool riga(quint32 i, const RigaCelle&) override
            {
                indici << i;
                return true;
            }
        } xls;
        ProtocolloXls p(xls);
        const QByteArray vuoto = QByteArray(1, 2) + le32(0);
        const QByteArray piena =
            le16(2) + le16(0) + QByteArray(1, 2) + le32(4) + "Pane" + le16(1) + QByteArray(1, 6) + QByteArray(1, 1);
        const QByteArray risposta = "TXLS1\nR" + le32(1) + piena + "R" + le32(2) + le16(2) + le16(0) + vuoto + le16(1) +
                                    vuoto + "R" + le32(3) + piena + "Z";
        QVERIFY(p.aggiungi(risposta.constData(), risposta.size()));
        QVERIFY(p.completo());
        QCOMPARE(xls.indici, (QList<quint32>{1, 3}));

        const QString path = m_env->path(QStringLiteral("v.xls"));
        const QVariantList vuota(9, QString());
        QVariantList nomi;
        for (int i = 1; i <= 9; ++i)
            nomi << QStringLiteral("C%1").arg(i);
        const QVariantList coda = {1.0, 1.0, 1.0, 22.0, QStringLiteral("x"), QStringLiteral("Rossi")};
        scriviXls(path, {{QStringLiteral("PRODOTTI"),
                          {nomi, QVariantList{QStringLiteral("Pane"), 1.0, QStringLiteral("800")} + coda, vuota,
                           QVariantList{QStringLiteral("Latte"), 2.0, QStringLiteral("801")} + coda}}});
        NoProgress sink;
        Listini::RiepilogoImport riepilogo;
        QVERIFY(Listini::EseguiImportazione(path, generico(), m_env->interazione(), sink, &riepilogo));
        QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 2, saltate: 0"));
    }

    // Hundreds of texts fill the shared-string table past one record: texts of one-byte and of
    // two-byte characters alike are split across its continuations and must come back whole.
    void testiDivisiFraIRecord()
    {
        QList<QVariantList> r = {{QStringLiteral("Des"), QStringLiteral("Prezzo")}};
        QStringList attesi;
        for (int i = 0; i < 600; ++i) {
            const QString t = i % 3 == 0 ? QStringLiteral("Caffè € %1 – miscela “bar” di prova lunga").arg(i)
                                         : QStringLiteral("Biscotti al burro n. %1 confezione da 500 g").arg(i);
            attesi << t;
            r << QVariantList{t, double(i)};
        }
        const QString path = m_env->path(QStringLiteral("t.xls"));
        scriviXls(path, {{QStringLiteral("PRODOTTI"), r}});
        QVERIFY(readAll(path).contains(le16(0x003c))); // a CONTINUE record is there
        QString e;
        const QList<RigaCelle> lette = righe(path, 0, &e);
        QVERIFY2(e.isEmpty(), qPrintable(e));
        QCOMPARE(lette.size(), attesi.size());
        for (int i = 0; i < lette.size(); ++i) {
            QCOMPARE(lette.at(i).at(0).comeTesto(), attesi.at(i));
            QCOMPARE(lette.at(i).at(1).numero, double(i));
        }
    }

    // The reader program's records, read in this process from a stream written by hand: every
    // kind of cell record, a shared text split with a change of character width, a formula's
    // text, error or missing STRING record.
    void recordDelFlusso_data()
    {
        QTest::addColumn<QByteArray>("flusso");
        QTest::addColumn<QString>("errore");
        QTest::newRow("text result") << flussoXls() << QString();
        QTest::newRow("#DIV/0! result") << flussoXls(QByteArray::fromHex("020007000000ffff"))
                                        << QStringLiteral("La cella della riga 3, colonna C contiene l'errore #DIV/0!: "
                                                          "correggerla e riprovare");
        QTest::newRow("no STRING after a text result")
            << flussoXls(QByteArray::fromHex("000000000000ffff"), false)
            << QStringLiteral("La cella della riga 3, colonna C non è leggibile (dato di un tipo sconosciuto)");
        QTest::newRow("result of an unknown kind")
            << flussoXls(QByteArray::fromHex("090000000000ffff"))
            << QStringLiteral("La cella della riga 3, colonna C non è leggibile (dato di un tipo sconosciuto)");
    }
    void recordDelFlusso()
    {
        QFETCH(QByteArray, flusso);
        QFETCH(QString, errore);
        struct Risposta final : biff::Uscita
        {
            QByteArray b = "TXLS1\n";
            void byte(unsigned v) override { b += char(v); }
            void dati(const void* p, std::size_t n) override { b.append(static_cast<const char*>(p), qsizetype(n)); }
        };
        struct Righe final : DestinatarioXls
        {
            QStringList fogli;
            QStringList righe;
            void foglio(const QString& nome) override { fogli << nome; }
            bool riga(quint32 i, const RigaCelle& r) override
            {
                QStringList t;
                for (const Cella& c : r)
                    t << c.comeTesto();
                righe << QString::number(i) + QLatin1Char(':') + t.join(QLatin1Char('|'));
                return true;
            }
        };
        Risposta nomi;
        QVERIFY(biff::leggi(reinterpret_cast<const std::uint8_t*>(flusso.constData()), std::size_t(flusso.size()), -1,
                            nomi));
        Righe lette;
        ProtocolloXls pn(lette);
        QVERIFY(pn.aggiungi(nomi.b.constData(), nomi.b.size()) && pn.completo());
        QCOMPARE(lette.fogli, QStringList{QStringLiteral("PRODOTTI")});

        Risposta risposta;
        QCOMPARE(biff::leggi(reinterpret_cast<const std::uint8_t*>(flusso.constData()), std::size_t(flusso.size()), 0,
                             risposta),
                 errore.isEmpty());
        ProtocolloXls p(lette);
        QCOMPARE(p.aggiungi(risposta.b.constData(), risposta.b.size()) && p.completo(), errore.isEmpty());
        QCOMPARE(p.errore(), errore);
        if (errore.isEmpty())
            QCOMPARE(lette.righe, (QStringList{QStringLiteral("0:Des"), QStringLiteral("1:Caffè|12,5|01/01/2025"),
                                               QStringLiteral("2:1,5|7|Olio|Vero|Falso"), QStringLiteral("3:Latte")}));
    }

    // The child's new records as hostile input: a boolean is 0 or 1, a cell without a value ends
    // the answer with its reason, whatever follows.
    void rispostaConBooleaniEdErrori_data()
    {
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<QString>("errore"); // empty: accepted
        const QByteArray m("TXLS1\n");
        const auto booleano = [](char v) {
            return "R" + le32(1) + le16(1) + le16(0) + QByteArray(1, 6) + QByteArray(1, v);
        };
        QTest::newRow("boolean") << m + booleano(1) + "Z" << QString();
        QTest::newRow("boolean of 2") << m + booleano(2) + "Z"
                                      << QStringLiteral("risposta del lettore .xls non valida");
        QTest::newRow("#VALUE! in AB7") << m + "X" + le32(6) + le16(27) + "\x0f"
                                        << QStringLiteral("La cella della riga 7, colonna AB contiene "
                                                          "l'errore #VALUE!: correggerla e riprovare");
        QTest::newRow("unknown, bytes after it")
            << m + "X" + le32(0) + le16(0) + "\xff" + "Z"
            << QStringLiteral("La cella della riga 1, colonna A non è leggibile (dato di un tipo sconosciuto)");
    }
    void rispostaConBooleaniEdErrori()
    {
        QFETCH(QByteArray, risposta);
        QFETCH(QString, errore);
        struct Righe final : DestinatarioXls
        {
            QList<RigaCelle> righe;
            void foglio(const QString&) override {}
            bool riga(quint32, const RigaCelle& r) override
            {
                righe << r;
                return true;
            }
        } xls;
        ProtocolloXls p(xls);
        bool ok = true;
        for (char b : risposta)
            ok = ok && p.aggiungi(&b, 1);
        QCOMPARE(ok && p.completo(), errore.isEmpty());
        QCOMPARE(p.errore(), errore);
        if (errore.isEmpty())
            QCOMPARE(xls.righe.value(0).value(0).comeTesto(), QStringLiteral("Vero"));
    }
};

QTEST_GUILESS_MAIN(TstXls)
#include "tst_xls.moc"
