// The workbook readers: sheets in tab order with "$", the column-name row left out, typed cells
// turned into text as the Italian CStr does, both relationship-target forms, damaged packages,
// hostile packages that would expand past every bound, damaged .xls files read by the child.
// Also the article store's bulk statements the engines use.
#include "Fixtures.h"
#include "core/ArchivioZip.h"
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Progress.h"
#include "core/VbConvert.h"
#include "import/Cartella.h"
#include "import/LettoreXls.h"
#include "support/ImportProva.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <sys/resource.h>
#include <zlib.h>

namespace {

// One member of a package written by hand: `testa`, `blocco` `volte` times, `coda`. A block is
// deflated once and its copies repeated, so a gigabyte costs a few hundred KB and no time.
struct Parte
{
    QString nome;
    QByteArray testa;
    QByteArray blocco;
    qint64 volte = 0;
    QByteArray coda;
    qint64 dichiarata = -1; // the inflated size the directory claims; -1: the real one
    bool crcErrato = false;
};

// Raw deflate of `b`, ending byte-aligned (full flush) or with the final block.
QByteArray deflateGrezzo(const QByteArray& b, bool ultimo)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(b.size())) + 64), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(b.constData()));
    z.avail_in = uInt(b.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, ultimo ? Z_FINISH : Z_FULL_FLUSH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

void scriviPacchetto(const QString& path, const QList<Parte>& parti)
{
    QByteArray zip, directory;
    for (const Parte& p : parti) {
        QByteArray dati = deflateGrezzo(p.testa, false);
        const QByteArray blocco = deflateGrezzo(p.blocco, false);
        for (qint64 i = 0; i < p.volte; ++i)
            dati += blocco;
        dati += deflateGrezzo(p.coda, true);
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(p.testa.constData()), uInt(p.testa.size()));
        const uLong crcBlocco = crc32(0, reinterpret_cast<const Bytef*>(p.blocco.constData()), uInt(p.blocco.size()));
        for (qint64 i = 0; i < p.volte; ++i)
            crc = crc32_combine(crc, crcBlocco, p.blocco.size());
        crc = crc32_combine(crc, crc32(0, reinterpret_cast<const Bytef*>(p.coda.constData()), uInt(p.coda.size())),
                            p.coda.size());
        if (p.crcErrato)
            crc ^= 0x5a5a5a5a;
        const qint64 reale = p.testa.size() + p.blocco.size() * p.volte + p.coda.size();
        const quint32 estesa = quint32(p.dichiarata >= 0 ? p.dichiarata : reale);
        const QByteArray nome = p.nome.toUtf8();
        const QByteArray comune = le16(20) + le16(0) + le16(8) + le16(0) + le16(0x21) + le32(quint32(crc)) +
                                  le32(quint32(dati.size())) + le32(estesa) + le16(quint16(nome.size())) + le16(0);
        directory += le32(0x02014b50) + le16(20) + comune + le16(0) + le16(0) + le16(0) + le32(0) +
                     le32(quint32(zip.size())) + nome;
        zip += le32(0x04034b50) + comune + nome + dati;
    }
    const quint32 inizio = quint32(zip.size());
    zip += directory + le32(0x06054b50) + le16(0) + le16(0) + le16(quint16(parti.size())) +
           le16(quint16(parti.size())) + le32(quint32(directory.size())) + le32(inizio) + le16(0);
    writeRaw(path, zip);
}

// The parts of a one-sheet workbook "PRODOTTI" around a sheet and shared strings of one's own.
QList<Parte> pacchetto(const Parte& foglio, const Parte& testi)
{
    const auto intera = [](const char* nome, const QByteArray& xml) {
        Parte p;
        p.nome = QString::fromLatin1(nome);
        p.testa = xml;
        return p;
    };
    return {intera("[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"),
            intera("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"http://x/officeDocument\" "
                                  "Target=\"xl/workbook.xml\"/></Relationships>"),
            intera("xl/workbook.xml", "<workbook><sheets><sheet name=\"PRODOTTI\" sheetId=\"1\" r:id=\"rId1\" "
                                      "xmlns:r=\"http://r\"/></sheets></workbook>"),
            intera("xl/_rels/workbook.xml.rels",
                   "<Relationships><Relationship Id=\"rId1\" Type=\"http://x/worksheet\" "
                   "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"http://x/sharedStrings\" "
                   "Target=\"sharedStrings.xml\"/></Relationships>"),
            foglio,
            testi};
}

Parte parte(const char* nome, const QByteArray& testa, const QByteArray& blocco = {}, qint64 volte = 0,
            const QByteArray& coda = {})
{
    Parte p;
    p.nome = QString::fromLatin1(nome);
    p.testa = testa;
    p.blocco = blocco;
    p.volte = volte;
    p.coda = coda;
    return p;
}

const QByteArray kFoglio = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
                           "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>";
const QByteArray kTesti = "<sst><si><t>Des</t></si><si><t>Pane</t></si></sst>";

long piccoMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

} // namespace

Q_DECLARE_METATYPE(QList<Parte>)

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

    // Through the user's path: "Impossibile eseguire l'importazione" and the archive untouched.
    void rifiutataDallImportazione(const QString& path)
    {
        const QString prima = fotografia();
        NoProgress sink;
        QVERIFY(!Listini::EseguiImportazione(path, generico(), m_env->interazione(), sink));
        QVERIFY(
            m_env->messages().join(QLatin1Char('\n')).contains(QStringLiteral("Impossibile eseguire l'importazione")));
        QCOMPARE(fotografia(), prima);
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
        // Rows without a value are not handed out; the data rows come in order.
        const QList<RigaCelle>& piene = r;
        QCOMPARE(piene.size(), 2);
        QCOMPARE(piene.at(0).at(0).tipo, Cella::Tipo::Numero);
        QCOMPARE(piene.at(0).at(0).comeTesto(), QStringLiteral("8001234567890"));
        QCOMPARE(piene.at(0).at(1).comeTesto(), QStringLiteral("Caffè \"Oro\""));
        QCOMPARE(piene.at(0).at(2).comeTesto(), QStringLiteral("12,5"));
        QVERIFY(piene.at(0).at(3).vuota());
        QCOMPARE(piene.at(0).at(4).tipo, Cella::Tipo::Booleano);
        QCOMPARE(piene.at(0).at(4).comeTesto(), QStringLiteral("Vero"));
        QCOMPARE(piene.at(1).at(1).tipo, Cella::Tipo::Data);
        QCOMPARE(piene.at(1).at(1).comeTesto(), QStringLiteral("31/01/2025"));
        QCOMPARE(piene.at(1).at(2).comeTesto(), QStringLiteral("Falso"));
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
        QVERIFY(z.leggi(QStringLiteral("xl/worksheets/sheet1.xml"), foglio, 1 << 20, &e));
        QVERIFY(foglio.contains("<sheetData>"));
        QVERIFY(!z.leggi(QStringLiteral("xl/nulla.xml"), foglio, 1 << 20, &e));
    }

    // A hand-written package is read, so the hostile variants below differ from it only where they say.
    void pacchettoScrittoAMano()
    {
        const QString path = m_env->path(QStringLiteral("a.xlsx"));
        scriviPacchetto(path,
                        pacchetto(parte("xl/worksheets/sheet1.xml", kFoglio), parte("xl/sharedStrings.xml", kTesti)));
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"));
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.at(0).at(0).comeTesto(), QStringLiteral("Pane"));
    }

    // Small files that expand past a bound are refused in seconds, within a few hundred MB, with
    // a reason for the user; nothing is read in part.
    void pacchettiOstili_data()
    {
        QTest::addColumn<QList<Parte>>("parti");
        QTest::addColumn<bool>("troppoGrande"); // else damaged
        const Parte foglio = parte("xl/worksheets/sheet1.xml", kFoglio);
        const Parte testi = parte("xl/sharedStrings.xml", kTesti);
        // 2x10^8 empty shared strings: 1 GB inflated from about 1 MB.
        QTest::newRow("2x10^8 empty shared strings")
            << pacchetto(foglio,
                         parte("xl/sharedStrings.xml", "<sst>", QByteArray("<si/>").repeated(200000), 1000, "</sst>"))
            << true;
        QTest::newRow("one shared string of 1 GB")
            << pacchetto(foglio, parte("xl/sharedStrings.xml", "<sst><si><t>", QByteArray(1 << 20, 'a'), 1000,
                                       "</t></si></sst>"))
            << true;
        QTest::newRow("5x10^6 shared strings within the size bound")
            << pacchetto(foglio,
                         parte("xl/sharedStrings.xml", "<sst>", QByteArray("<si/>").repeated(100000), 50, "</sst>"))
            << true;
        QTest::newRow("a 100 MB inline text in the sheet")
            << pacchetto(parte("xl/worksheets/sheet1.xml",
                               "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row><row "
                               "r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>",
                               QByteArray(1 << 20, 'b'), 100, "</t></is></c></row></sheetData></worksheet>"),
                         testi)
            << true;
        QTest::newRow("a 40,000-character cell")
            << pacchetto(foglio, parte("xl/sharedStrings.xml",
                                       "<sst><si><t>Des</t></si><si><t>" + QByteArray(40000, 'c') + "</t></si></sst>"))
            << true;
        QTest::newRow("a cell past column XFD")
            << pacchetto(parte("xl/worksheets/sheet1.xml",
                               "<worksheet><sheetData><row><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"XFE1\"><v>1</v>"
                               "</c></row></sheetData></worksheet>"),
                         testi)
            << true;
        QTest::newRow("rows reaching column XFD, 3x10^7 cells")
            << pacchetto(parte("xl/worksheets/sheet1.xml", "<worksheet><sheetData>",
                               QByteArray("<row><c r=\"XFD1\"><v>1</v></c></row>").repeated(100), 21,
                               "</sheetData></worksheet>"),
                         testi)
            << true;
        QTest::newRow("a DTD with entities")
            << pacchetto(parte("xl/worksheets/sheet1.xml",
                               "<!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">]>"
                               "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>&b;</t></is></c></row>"
                               "</sheetData></worksheet>"),
                         testi)
            << true;
        Parte crc = foglio;
        crc.crcErrato = true;
        QTest::newRow("bad CRC of the sheet") << pacchetto(crc, testi) << false;
        Parte crcTesti = testi;
        crcTesti.crcErrato = true;
        QTest::newRow("bad CRC of the shared strings") << pacchetto(foglio, crcTesti) << false;
        // A zip bomb: 1 GB of rows that the directory calls 4 KB.
        Parte bomba =
            parte("xl/worksheets/sheet1.xml", "<worksheet><sheetData>",
                  QByteArray("<row><c t=\"s\"><v>1</v></c></row>").repeated(30000), 1000, "</sheetData></worksheet>");
        bomba.dichiarata = 4096;
        QTest::newRow("zip bomb, size understated") << pacchetto(bomba, testi) << false;
        Parte onesta = bomba;
        onesta.dichiarata = -1;
        QTest::newRow("zip bomb, 1 GB sheet") << pacchetto(onesta, testi) << true;
        Parte corta = foglio;
        corta.dichiarata = kFoglio.size() + 1000;
        QTest::newRow("sheet shorter than its size") << pacchetto(corta, testi) << false;
    }
    void pacchettiOstili()
    {
        QFETCH(QList<Parte>, parti);
        QFETCH(bool, troppoGrande);
        const QString path = m_env->path(QStringLiteral("ostile.xlsx"));
        scriviPacchetto(path, parti);
        QVERIFY(QFileInfo(path).size() < 20 << 20);
        QElapsedTimer t;
        t.start();
        QString e;
        auto c = apriCartella(path, &e);
        if (c) {
            int n = 0;
            QVERIFY(!c->leggiFoglio(
                QStringLiteral("PRODOTTI$"),
                [&](const RigaCelle&) {
                    ++n;
                    return true;
                },
                &e));
        }
        QVERIFY2(t.elapsed() < 15000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(piccoMiB() < 300);
        const QString atteso = troppoGrande ? QStringLiteral("la cartella di lavoro supera i limiti ammessi")
                                            : QStringLiteral("la cartella di lavoro è danneggiata");
        QVERIFY2(e.startsWith(atteso), qPrintable(e));

        rifiutataDallImportazione(path);
    }

    // Both readers give the same rows: the first row holding a value names the columns, empty rows
    // before and between are not rows, and a text cell is cut at 255 characters.
    void intestazioneNellaTerzaRiga_data() { colonnaScrittori(); }
    void intestazioneNellaTerzaRiga()
    {
        QFETCH(int, scrittore);
        const QVariant no;
        const QString lungo = QString(300, QLatin1Char('L'));
        const QList<Foglio> fogli = {{QStringLiteral("PRODOTTI"),
                                      {{},
                                       {no, no},
                                       {QStringLiteral("Des"), QStringLiteral("Qta"), QStringLiteral("BC"),
                                        QStringLiteral("Rep"), QStringLiteral("PV"), QStringLiteral("ACQ"),
                                        QStringLiteral("IVA"), QStringLiteral("CF"), QStringLiteral("For")},
                                       {QStringLiteral("Pane"), 2.0, QStringLiteral("800"), 1.0, 1.5, 1.0, 22.0,
                                        QStringLiteral("P1"), QStringLiteral("Rossi")},
                                       {},
                                       {lungo, 1.0, QStringLiteral("801"), 1.0, 2.5, 2.0, 22.0, QStringLiteral("P2"),
                                        QStringLiteral("Rossi")}}}};
        const QString path = scriviCartella(scrittore, m_env->path(QStringLiteral("terza")), fogli);
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        int larghezza = 0;
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"), &larghezza);
        QCOMPARE(larghezza, 9);
        QCOMPARE(r.size(), 2);
        QCOMPARE(r.at(0).at(0).comeTesto(), QStringLiteral("Pane"));
        QCOMPARE(r.at(0).at(2).comeTesto(), QStringLiteral("800"));
        QCOMPARE(r.at(1).at(0).comeTesto(), lungo.left(255));

        // The engine on the same file: two articles, no "Des" with barcode "BC".
        NoProgress sink;
        QVERIFY(Listini::EseguiImportazione(path, generico(), m_env->interazione(), sink));
        QSqlQuery q = Db::query(QStringLiteral("SELECT Descrizione, BarCode FROM Magazzino ORDER BY BarCode"));
        QStringList articoli;
        while (q.next())
            articoli << q.value(0).toString().left(4) + QLatin1Char('/') + q.value(1).toString();
        QCOMPARE(articoli, (QStringList{QStringLiteral("Pane/800"), QStringLiteral("LLLL/801")}));
    }

    // A workbook Gnumeric wrote (ssconvert 1.12.55): every `t` on its own indented line, texts used
    // twice in the shared strings and the others inline, rich-text runs, blanks and a line break
    // inside texts, a formula price, and two rows of blanks after the data.
    void cartellaDiGnumeric()
    {
        const QString path = QStringLiteral(QT_TESTCASE_SOURCEDIR "/import/cartelle/listino-gnumeric.xlsx");
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        int larghezza = 0;
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"), &larghezza);
        QCOMPARE(larghezza, 9);
        QStringList testi;
        for (const RigaCelle& riga : r)
            testi << riga.value(0).comeTesto() + QLatin1Char('|') + riga.value(2).comeTesto() + QLatin1Char('|') +
                         riga.value(7).comeTesto() + QLatin1Char('|') + riga.value(8).comeTesto();
        QCOMPARE(testi, (QStringList{
                            QStringLiteral("SALE GROSSO DI CERVIA|08001234567890|000123|Rossi"),
                            QStringLiteral("Caffè L\u2019Aquila \"Oro\"|8001111111111|A-77|Rossi"),
                            QStringLiteral("  Olio  extra vergine |8002222222222|OL 1|Verdi & Figli"),
                            QStringLiteral("Pane\ncasereccio|8003333333333|P2|Verdi & Figli"),
                            QStringLiteral("Pasta di semola 500 g|8004444444444|PS-500|Rossi"),
                            QStringLiteral("Pasta di semola 500 g|8004444444445|PS-501|Rossi"),
                            QStringLiteral("Tonno all'olio|8005555555555|R1|Rossi"),
                        }));

        // Through the import: seven articles, nothing from the rows of blanks.
        NoProgress sink;
        Listini::RiepilogoImport riepilogo;
        QVERIFY(Listini::EseguiImportazione(path, generico(), m_env->interazione(), sink, &riepilogo));
        QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 7, saltate: 0"));
        QSqlQuery q = Db::query(QStringLiteral("SELECT Descrizione, BarCode, CodProdottoFornitore, Fornitore, Costo "
                                               "FROM Magazzino ORDER BY CodMateriale"));
        QStringList articoli;
        while (q.next())
            articoli << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                    q.value(3).toString(), Vb::cstr(q.value(4).toDouble())}
                            .join(QLatin1Char('|'));
        QCOMPARE(articoli.size(), 7);
        QCOMPARE(articoli.at(0), QStringLiteral("SALE GROSSO DI CERVIA|08001234567890|000123|Rossi|0,89"));
        QCOMPARE(articoli.at(2), QStringLiteral("  Olio  extra vergine |8002222222222|OL 1|Verdi & Figli|0"));
        QCOMPARE(articoli.at(4), QStringLiteral("Pasta di semola 500 g|8004444444444|PS-500|Rossi|1"));
        QCOMPARE(articoli.at(6), QStringLiteral("Tonno all'olio|8005555555555|R1|Rossi|2"));
    }

    // A string item's text is its `t` elements, runs included and phonetic runs left out; the
    // layout between elements is no text, the blanks inside a `t` are. Shared and inline alike.
    void testiDelleStringhe_data()
    {
        QTest::addColumn<QByteArray>("stringa"); // the inside of an `si` / `is`
        QTest::addColumn<QString>("atteso");
        QTest::newRow("indented") << QByteArray("\n    <t>SALE GROSSO</t>\n  ") << QStringLiteral("SALE GROSSO");
        QTest::newRow("preserved blanks")
            << QByteArray("\n <t xml:space=\"preserve\">  Olio </t>\n") << QStringLiteral("  Olio ");
        QTest::newRow("runs") << QByteArray("\n <r>\n  <rPr><b/></rPr>\n  <t>Tonno </t>\n </r>\n <r><t "
                                            "xml:space=\"preserve\">all'</t></r><r><t>olio</t></r>\n")
                              << QStringLiteral("Tonno all'olio");
        QTest::newRow("phonetic run") << QByteArray("<t>\u6771\u4eac</t><rPh sb=\"0\" eb=\"2\"><t>\u30c8\u30a6"
                                                    "\u30ad\u30e7\u30a6</t></rPh><phoneticPr fontId=\"1\"/>")
                                      << QStringLiteral("\u6771\u4eac");
        QTest::newRow("line break and entities")
            << QByteArray("<t>Pane\ncasereccio &amp; &#233;</t>") << QStringLiteral("Pane\ncasereccio & \u00e9");
        QTest::newRow("blanks only") << QByteArray("\n  <t xml:space=\"preserve\">  \t </t>\n") << QString();
        QTest::newRow("text outside t only") << QByteArray("testo sciolto") << QString();
    }
    void testiDelleStringhe()
    {
        QFETCH(QByteArray, stringa);
        QFETCH(QString, atteso);
        const QString path = m_env->path(QStringLiteral("s.xlsx"));
        scriviPacchetto(
            path,
            pacchetto(parte("xl/worksheets/sheet1.xml",
                            "<worksheet><sheetData>\n<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c "
                            "r=\"B1\" t=\"s\"><v>0</v></c></row>\n<row r=\"2\">\n<c r=\"A2\" t=\"s\">\n<v>"
                            "1</v>\n</c>\n<c r=\"B2\" t=\"inlineStr\"><is>" +
                                stringa +
                                "</is></c>\n<c r=\"C2\"><v>1</v></c></row>\n"
                                "</sheetData></worksheet>"),
                      parte("xl/sharedStrings.xml", "<sst><si><t>Des</t></si>\n<si>" + stringa + "</si>\n</sst>")));
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"));
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.at(0).size(), 3);
        QCOMPARE(r.at(0).at(0).comeTesto(), atteso);
        QCOMPARE(r.at(0).at(1).comeTesto(), atteso);
        QCOMPARE(r.at(0).at(0).vuota(), atteso.isEmpty());
        QCOMPARE(r.at(0).at(1).vuota(), atteso.isEmpty());
    }

    // One sheet (and its string table) written in the forms writers use, the UTF-16 and Latin-1
    // ones read by Qt's reader, the others by the scanner: the same rows. References in small
    // letters, cells without one (they follow the one before), prefixed elements, CDATA,
    // references in values and texts.
    void foglioInOgniForma_data()
    {
        QTest::addColumn<QByteArray>("foglio");
        QTest::addColumn<QByteArray>("testi");
        const auto utf16 = [](const QByteArray& utf8) {
            const QString t = QString::fromUtf8(utf8);
            return QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
        };
        const QByteArray righe =
            "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>0</v></c></row>\r\n"
            "<row r=\"2\"><c r=\"a2\" t=\"&#115;\"><v> 1 </v></c><c t=\"inlineStr\"><is><t>Caff\xc3\xa8 &amp;\r\nco"
            "</t></is></c><c r=\"d2\" s=\"0\"><v><![CDATA[12.5]]></v></c><c t=\"b\"><v>1</v></c></row>";
        const QByteArray utf8 = "<worksheet><sheetData>" + righe + "</sheetData></worksheet>";
        QTest::newRow("UTF-8") << utf8 << kTesti;
        QTest::newRow("UTF-8, mark and declaration")
            << "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n" + utf8
            << "\xef\xbb\xbf<?xml version=\"1.0\"?>" + kTesti;
        QByteArray prefissi = utf8;
        prefissi.replace("<row", "<x:row")
            .replace("</row", "</x:row")
            .replace("<c ", "<x:c ")
            .replace("</c>", "</x:c>");
        prefissi.replace("<worksheet>", "<worksheet xmlns:x=\"http://x\">");
        QTest::newRow("prefixed") << prefissi << kTesti;
        QTest::newRow("UTF-16") << utf16(utf8) << utf16(kTesti);
        const QByteArray latino = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
        QTest::newRow("Latin-1") << latino + QString::fromUtf8(utf8).toLatin1() << latino + kTesti;
    }
    void foglioInOgniForma()
    {
        QFETCH(QByteArray, foglio);
        QFETCH(QByteArray, testi);
        const QString path = m_env->path(QStringLiteral("forme.xlsx"));
        scriviPacchetto(path,
                        pacchetto(parte("xl/worksheets/sheet1.xml", foglio), parte("xl/sharedStrings.xml", testi)));
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        int larghezza = 0;
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"), &larghezza);
        QCOMPARE(larghezza, 5);
        QCOMPARE(r.size(), 1);
        QStringList celle;
        for (const Cella& k : r.at(0))
            celle << k.comeTesto();
        QCOMPARE(celle, (QStringList{QStringLiteral("Pane"), QStringLiteral("Caffè &\nco"), QString(),
                                     QStringLiteral("12,5"), QStringLiteral("Vero")}));
    }

    // A number cell is what QString::toDouble makes of its text (its blanks trimmed): the short way
    // the scanner takes for plain numbers gives the same doubles to the last bit.
    void numeriDelleCelle()
    {
        const QList<QByteArray> testi = {"12.5",
                                         "-0.1",
                                         "8001234567890",
                                         "0.1",
                                         "2.675",
                                         "4.35",
                                         "0.30000000000000004",
                                         "1e3",
                                         "1E-3",
                                         "1.5e+2",
                                         "-0",
                                         "00012",
                                         "123456789012345678901234567890",
                                         "1.7976931348623157e308",
                                         "2.2250738585072014e-308",
                                         "4.9e-324",
                                         "1e309",
                                         " 7 ",
                                         "+5",
                                         ".5",
                                         "5.",
                                         "0x10",
                                         "1,5",
                                         "",
                                         "nan",
                                         "inf",
                                         "1e",
                                         "--1",
                                         "9007199254740993",
                                         "0.1000000000000000055511151231257827021181583404541015625"};
        QByteArray foglio = "<worksheet><sheetData><row><c t=\"s\"><v>0</v></c></row><row>";
        for (const QByteArray& t : testi)
            foglio += "<c><v>" + t + "</v></c>";
        foglio += "<c t=\"s\"><v>1</v></c></row></sheetData></worksheet>";
        const QString path = m_env->path(QStringLiteral("numeri.xlsx"));
        scriviPacchetto(path,
                        pacchetto(parte("xl/worksheets/sheet1.xml", foglio), parte("xl/sharedStrings.xml", kTesti)));
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"));
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.at(0).size(), testi.size() + 1);
        for (int i = 0; i < testi.size(); ++i) {
            bool ok = false;
            const double atteso = QString::fromLatin1(testi.at(i)).trimmed().toDouble(&ok);
            const Cella& k = r.at(0).at(i);
            if (!ok || !std::isfinite(atteso)) {
                QVERIFY2(k.vuota(), testi.at(i).constData());
                continue;
            }
            QVERIFY2(k.tipo == Cella::Tipo::Numero, testi.at(i).constData());
            QVERIFY2(
                std::memcmp(&k.numero, &atteso, sizeof atteso) == 0,
                qPrintable(QStringLiteral("%1: %2").arg(QString::fromLatin1(testi.at(i))).arg(k.numero, 0, 'g', 17)));
        }
    }

    // A sheet that is not XML is refused as damaged, whichever reader reads it, and the import
    // writes nothing.
    void fogliNonXml_data()
    {
        QTest::addColumn<QByteArray>("foglio");
        const QByteArray testa = "<worksheet><sheetData><row><c t=\"s\"><v>0</v></c></row><row><c t=\"s\"><v>1</v></c>";
        QTest::newRow("tags crossed") << testa + "</sheetData></row></worksheet>";
        QTest::newRow("ends inside a row") << testa;
        QTest::newRow("unknown entity") << testa + "<c t=\"str\"><v>&nbsp;</v></c></row></sheetData></worksheet>";
        QTest::newRow("not UTF-8") << testa + "<c t=\"str\"><v>Caff\xe8</v></c></row></sheetData></worksheet>";
        QTest::newRow("a second root") << testa + "</row></sheetData></worksheet><worksheet/>";
        QTest::newRow("undeclared prefix") << testa + "<x:c><v>1</v></x:c></row></sheetData></worksheet>";
        QTest::newRow("repeated attribute") << testa + "<c t=\"s\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>";
        QByteArray utf16 = "\xff\xfe";
        const QString rotto = QString::fromLatin1(testa + "</sheetData></row></worksheet>");
        utf16.append(reinterpret_cast<const char*>(rotto.utf16()), rotto.size() * 2);
        QTest::newRow("tags crossed, UTF-16") << utf16;
    }
    void fogliNonXml()
    {
        QFETCH(QByteArray, foglio);
        const QString path = m_env->path(QStringLiteral("nonxml.xlsx"));
        scriviPacchetto(path,
                        pacchetto(parte("xl/worksheets/sheet1.xml", foglio), parte("xl/sharedStrings.xml", kTesti)));
        QString e;
        const auto c = apriCartella(path, &e);
        QVERIFY2(c, qPrintable(e));
        QVERIFY(!c->leggiFoglio(
            QStringLiteral("PRODOTTI$"), [](const RigaCelle&) { return true; }, &e));
        QVERIFY2(e.startsWith(QStringLiteral("la cartella di lavoro è danneggiata")), qPrintable(e));
        rifiutataDallImportazione(path);
    }

    // A large string table (here 1.5 million characters, past one block of the reader's store) gives
    // every text back whole and in its place, each cut at 255 characters.
    void moltiTestiCondivisi()
    {
        const int n = 6000;
        const auto testo = [](int i) {
            return (QString::number(i) + QLatin1Char(' ')).leftJustified(300, QChar(u'a' + i % 26));
        };
        QByteArray sst = "<sst>";
        QByteArray foglio = "<worksheet><sheetData>";
        for (int i = 0; i < n; ++i) {
            sst += "<si><t>" + testo(i).toUtf8() + "</t></si>";
            foglio += "<row><c t=\"s\"><v>" + QByteArray::number(i) + "</v></c></row>";
        }
        scriviPacchetto(m_env->path(QStringLiteral("m.xlsx")),
                        pacchetto(parte("xl/worksheets/sheet1.xml", foglio + "</sheetData></worksheet>"),
                                  parte("xl/sharedStrings.xml", sst + "</sst>")));
        QString e;
        const auto c = apriCartella(m_env->path(QStringLiteral("m.xlsx")), &e);
        QVERIFY2(c, qPrintable(e));
        const auto r = righe(*c, QStringLiteral("PRODOTTI$"));
        QCOMPARE(r.size(), n - 1);
        for (int i = 1; i < n; ++i) {
            if (r.at(i - 1).at(0).testo != testo(i).left(Cartella::kLunghezzaTesto))
                QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(i).arg(r.at(i - 1).at(0).testo.left(20))));
        }
    }

    // An empty text (a shared string "", an inline string with no text) is an empty cell: a row
    // holding only such cells is no row and makes no article. Also in the .xls reader's answer.
    void testoVuotoECellaVuota()
    {
        const QString path = m_env->path(QStringLiteral("vuoti.xlsx"));
        scriviPacchetto(
            path,
            pacchetto(parte("xl/worksheets/sheet1.xml",
                            "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"I1\" "
                            "t=\"s\"><v>0</v></c></row><row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c><c "
                            "r=\"C2\" t=\"s\"><v>2</v></c></row><row r=\"3\"><c r=\"A3\" t=\"s\"><v>3</v></c><c "
                            "r=\"C3\" t=\"inlineStr\"><is><t></t></is></c></row></sheetData></worksheet>"),
                      parte("xl/sharedStrings.xml",
                            "<sst><si><t>Des</t></si><si><t>Pane</t></si><si><t>800</t></si><si><t/></si></sst>")));
        NoProgress sink;
        Listini::RiepilogoImport riepilogo;
        QVERIFY(Listini::EseguiImportazione(path, generico(), m_env->interazione(), sink, &riepilogo));
        QCOMPARE(riepilogo.testo(), QStringLiteral("Righe lette: 1, saltate: 0"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 1);

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
        const QByteArray vuoto = QByteArray(1, 2) + le32(0);
        const QByteArray risposta = "TXLS1\nR" + le32(1) + le16(2) + le16(0) + vuoto + le16(2) + vuoto + "R" + le32(2) +
                                    le16(2) + le16(0) + QByteArray(1, 2) + le32(4) + "Pane" + le16(2) + vuoto + "Z";
        QVERIFY(p.aggiungi(risposta.constData(), risposta.size()));
        QVERIFY(p.completo());
        QCOMPARE(xls.righe.size(), 1);
        QCOMPARE(xls.righe.at(0).size(), 1);
        QCOMPARE(xls.righe.at(0).at(0).comeTesto(), QStringLiteral("Pane"));
    }

    // A damaged .xls never ends the program: it is read in the child, which refuses it with a
    // reason (a crash of the child would be one too, but our reader must not crash). Bytes of the
    // shared-string record set to 0xFF, as found in use (freexl 1.0.6 segfaulted on some of them).
    void xlsDanneggiati()
    {
        const QString path = m_env->path(QStringLiteral("x.xls"));
        QList<QVariantList> r = {{QStringLiteral("Des"), QStringLiteral("Qta")}};
        for (int i = 0; i < 300; ++i)
            r << QVariantList{QStringLiteral("Articolo di prova numero %1 conf. 500g xx").arg(i), double(i)};
        scriviXls(path, {{QStringLiteral("PRODOTTI"), r}});
        const QByteArray buono = readAll(path);
        const qsizetype sst = buono.indexOf(QByteArray::fromHex("fc00"));
        QVERIFY(sst > 0);
        QString e;
        int rifiutati = 0, interrotti = 0;
        for (qsizetype i = sst; i < sst + 120; ++i) {
            QByteArray b = buono;
            b[i] = '\xff';
            writeRaw(path, b);
            const auto c = apriCartella(path, &e);
            bool letto = c != nullptr;
            if (c)
                letto = c->leggiFoglio(
                    c->fogli().value(0), [](const RigaCelle&) { return true; }, &e);
            if (!letto) {
                ++rifiutati;
                QVERIFY(!e.isEmpty());
                interrotti += e.contains(QStringLiteral("interrotta"));
            }
        }
        QVERIFY2(rifiutati > 0 && interrotti == 0, qPrintable(QStringLiteral("%1 %2").arg(rifiutati).arg(interrotti)));

        // Through the user's path: the message, a reason in the log, nothing written.
        QByteArray b = buono;
        b[sst + 26] = '\xff';
        writeRaw(path, b);
        rifiutataDallImportazione(path);
    }

    // Reasons for the user's second line.
    void motiviDelRifiuto()
    {
        QString e;
        const QString foto = m_env->path(QStringLiteral("foto.xls"));
        writeRaw(foto, QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") + QByteArray(500, '\x11'));
        QVERIFY(!apriCartella(foto, &e));
        QCOMPARE(e, Cartella::nonCartella());
        const QString protetto = m_env->path(QStringLiteral("p.xls"));
        scriviXls(protetto, {{QStringLiteral("PRODOTTI"), {{QStringLiteral("Des")}}}}, true);
        QVERIFY(!apriCartella(protetto, &e));
        QVERIFY2(e.contains(QStringLiteral("password")), qPrintable(e));
        const QString rotto = m_env->path(QStringLiteral("r.xls"));
        writeRaw(rotto, QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(3000, '\xff'));
        QVERIFY(!apriCartella(rotto, &e));
        QVERIFY2(e.startsWith(QStringLiteral("la cartella di lavoro è danneggiata")) ||
                     e.contains(QStringLiteral("interrotta")),
                 qPrintable(e));
    }

    // The child's answer is read as hostile input: every bound holds, whatever arrives.
    void rispostaDelLettore_data()
    {
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<bool>("accettata");
        const QByteArray m("TXLS1\n");
        const QByteArray riga = "R" + le32(3) + le16(1) + le16(0) + QByteArray(1, 2) + le32(4) + "Pane";
        QTest::newRow("complete") << m + "F" + le32(1) + "P" + riga + "Z" << true;
        QTest::newRow("no end") << m + "F" + le32(1) + "P" + riga << false;
        QTest::newRow("wrong magic") << QByteArray("TXLS2\nZ") << false;
        QTest::newRow("rows not ascending") << m + riga + riga + "Z" << false;
        QTest::newRow("text of 4 GB") << m + "R" + le32(3) + le16(1) + le16(0) + QByteArray(1, 2) + le32(0xffffffff)
                                      << false;
        QTest::newRow("column past XFD") << m + "R" + le32(3) + le16(1) + le16(16384) + QByteArray(1, 1) +
                                                QByteArray(8, 0) + "Z"
                                         << false;
        QTest::newRow("sheet name of 4 GB") << m + "F" + le32(0xfffffff0) << false;
        QTest::newRow("bytes after the end") << m + "Z" + "Z" << false;
        QTest::newRow("unknown record") << m + "Q" << false;
        QTest::newRow("refusal") << m + "E" + QByteArray(1, 2) << false;
        // a date cell whose text is no date stays text, cut like any other text cell
        QTest::newRow("long text in a date cell")
            << m + "R" + le32(3) + le16(1) + le16(0) + QByteArray(1, 3) + le32(300) + QByteArray(300, 'x') + "Z"
            << true;
    }
    void rispostaDelLettore()
    {
        QFETCH(QByteArray, risposta);
        QFETCH(bool, accettata);
        struct Righe final : DestinatarioXls
        {
            void foglio(const QString&) override {}
            bool riga(quint32, const RigaCelle& r) override
            {
                for (const Cella& c : r)
                    if (c.testo.size() > Cartella::kLunghezzaTesto)
                        return false;
                return true;
            }
        } righe;
        ProtocolloXls p(righe);
        bool ok = true;
        for (char b : risposta) // a byte at a time: the pieces a pipe may give
            ok = ok && p.aggiungi(&b, 1);
        QCOMPARE(ok && p.completo(), accettata);
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
