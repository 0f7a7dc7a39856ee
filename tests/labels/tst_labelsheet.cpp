// The label layout record, the sheet geometry and paging, the label texts and the printed sheet,
// read back from the PDF with poppler and zbar.
#include "core/VbConvert.h"
#include "labels/DisegnoEtichette.h"
#include "labels/FormatoEtichetta.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include "labels/LabelFixture.h"

#include <QPdfWriter>
#include <QSet>
#include <QTemporaryDir>

namespace {

// The sheet of `n` articles, as the designer prepares it, with the stored layout.
void preparaFoglio(EasyPrint& e, int colonne, int righe)
{
    fixture::comeIlDesigner(e, colonne, righe);
    QString modo = QStringLiteral("TOOLBAR");
    const auto sel = ArticoliEtichette::seleziona(modo, {});
    QVERIFY(sel.ok);
    e.articoli = *sel.valore;
    e.setLabelCopies(ArticoliEtichette::conteggio(sel, e.etichettePerFoglio()));
    FormatoEtichetta f = Formato::progetto();
    QVERIFY(Formato::carica(f));
    e.modello.formato = f;
    e.modello.didascalia = {QStringLiteral("Prz/Kg o LT"), QStringLiteral("DES"), QStringLiteral("€ PRZ"),
                            QStringLiteral("Negozio"), QStringLiteral("BC")};
    e.opzioni.mostraBarcode = true;
}

QString stampaPdf(const EasyPrint& e, const QString& file, const QList<int>& pagine, int numero = 0)
{
    QPdfWriter w(file);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setResolution(600);
    RecordingProgress prog;
    const Esito esito = DisegnoEtichette::stampa(w, e, pagine, numero, prog);
    if (!esito)
        return esito.descrizione;
    return {};
}

} // namespace

class TestLabelSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutRoundTrip()
    {
        TestEnv env;
        FormatoEtichetta f = Formato::progetto();
        QVERIFY(Formato::carica(f));
        QCOMPARE(f.numCol, 3); // the seeded row
        f.numCol = 4;
        f.numRow = 0;
        f.posizione[eliPrezzo] += QPoint(150, 300);
        f.font[eliDescrizione].nome = QStringLiteral("L'Italiana");
        f.font[eliDescrizione].dimensione = 8.5;
        f.font[eliPrezzo].dimensione = 9.5;
        f.font[eliPrezzo].sottolineato = true;
        f.font[eliAttivita].colore = 0x8000000F;
        f.font[eliBarcode].colore = 0x00FF8000;
        QVERIFY(Formato::salva(f));
        QCOMPARE(valoreDb("SELECT FontSizeCF FROM FormatoEtichetta").toInt(), 8);
        QCOMPARE(valoreDb("SELECT FontSizeC FROM FormatoEtichetta").toInt(), 10);
        QCOMPARE(valoreDb("SELECT UnderC FROM FormatoEtichetta").toInt(), -1);
        QCOMPARE(valoreDb("SELECT ColorF FROM FormatoEtichetta").toLongLong(), -2147483633LL);
        QCOMPARE(valoreDb("SELECT XCliente FROM FormatoEtichetta").toInt(), 860 + 300); // X holds the Top

        FormatoEtichetta letto = Formato::progetto();
        QVERIFY(Formato::carica(letto));
        f.font[eliDescrizione].dimensione = 8;
        f.font[eliPrezzo].dimensione = 10;
        QCOMPARE(letto, f);

        // Nulls keep what the window has and the load goes on.
        QVERIFY(Db::exec("UPDATE FormatoEtichetta SET XPeso = NULL, YPeso = NULL, FontP = NULL, FontSizeBC = NULL"));
        FormatoEtichetta w = Formato::progetto();
        w.font[eliBarcode].dimensione = 33;
        QVERIFY(Formato::carica(w));
        QCOMPARE(w.posizione[eliPrezzoKg], Formato::progetto().posizione[eliPrezzoKg]);
        QCOMPARE(w.font[eliPrezzoKg].nome, QStringLiteral("Arial"));
        QCOMPARE(w.font[eliBarcode].dimensione, 33.0);
        QCOMPARE(w.font[eliBarcode].colore, VbColor(0x00FF8000)); // read after the Null
    }

    void layoutSaveFillsAnEmptyTableAndEveryRow()
    {
        TestEnv env;
        QVERIFY(Db::exec("DELETE FROM FormatoEtichetta"));
        FormatoEtichetta f = Formato::progetto();
        QVERIFY(Formato::carica(f)); // nothing there: nothing changes
        QCOMPARE(f, Formato::progetto());
        QVERIFY(Formato::salva(f));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM FormatoEtichetta").toInt(), 1);
        QVERIFY(Db::exec("INSERT INTO FormatoEtichetta (NumCol) VALUES (7)"));
        f.numCol = 2;
        QVERIFY(Formato::salva(f));
        QCOMPARE(valoreDb("SELECT COUNT(DISTINCT NumCol) FROM FormatoEtichetta").toInt(), 1);

        // A failed save changes nothing and says so.
        QVERIFY(Db::exec("CREATE TRIGGER no BEFORE UPDATE ON FormatoEtichetta BEGIN SELECT RAISE(ABORT, 'x'); END"));
        f.numCol = 5;
        QVERIFY(!Formato::salva(f));
        QCOMPARE(valoreDb("SELECT MAX(NumCol) FROM FormatoEtichetta").toInt(), 2);

        // A table that cannot be read fails the save with the database's own reason.
        QVERIFY(Db::exec("DROP TABLE FormatoEtichetta"));
        const Esito e = Formato::salva(f);
        QVERIFY(!e);
        QVERIFY2(e.descrizione.contains("FormatoEtichetta"), qPrintable(e.descrizione));
    }

    void sheetGeometryAndPages()
    {
        EasyPrint e;
        fixture::comeIlDesigner(e, 3, 8);
        QVERIFY(qAbs(e.labelWidth() - (21.0 - 2) / 3) < 0.01);
        QVERIFY(qAbs(e.labelHeigth() - (29.7 - 7) / 8) < 0.01);
        e.setLabelCopies(25);
        QCOMPARE(e.pages(), 2);
        e.setLabelCopies(24);
        QCOMPARE(e.pages(), 1);
        e.setLabelCopies(0);
        QCOMPARE(e.pages(), 0);
        e.setLabelCopies(1000);
        QCOMPARE(e.pages(), 42);
        QCOMPARE(e.primaEtichetta(2), 24);

        // Refused grids keep the previous one.
        for (auto [c, r] : std::initializer_list<std::pair<int, int>>{
                 {0, 8}, {3, 0}, {16, 16}, {256, 1}, {-1, 8}, {1, 255}, {22, 1}}) {
            QVERIFY2(!e.impostaGriglia(c, r), qPrintable(QStringLiteral("%1 x %2").arg(c).arg(r)));
            QCOMPARE(e.maxCol(), 3);
            QCOMPARE(e.maxRow(), 8);
        }
        QVERIFY(e.setMaxCol(4));
        QCOMPARE(e.etichettePerFoglio(), 32);

        QCOMPARE(EasyPrint::toTwips(EasyPrint::Millimetri, 10), 567.0);
        QCOMPARE(EasyPrint::toTwips(3, 10), 0.0);
    }

    void printRanges()
    {
        EasyPrint e;
        fixture::comeIlDesigner(e, 3, 8);
        e.setLabelCopies(50); // 3 pages
        using L = QList<int>;
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 1, 3, 0), L({1, 2, 3}));
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 2, 9, 0), L({2, 3})); // cut at the last page
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 4, 9, 0), L());
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 3, 2, 0), L());
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 1, 1, 5), L({1}));
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 1, 1, 25), L());
        e.setLabelCopies(0);
        QCOMPARE(DisegnoEtichette::pagineDaStampare(e, 1, 1, 0), L());
    }

    void labelTextsAndSelection()
    {
        TestEnv env;
        using namespace ArticoliEtichette;
        QCOMPARE(prezzoAlKg(2.5, QStringLiteral("500")), QStringLiteral("€ 5,00/Kg o LT"));
        QCOMPARE(prezzoAlKg(QStringLiteral("1,50"), QStringLiteral("500")), QStringLiteral("€ 3,00/Kg o LT"));
        QVERIFY(prezzoAlKg(2.5, QStringLiteral("0")).isEmpty());
        QVERIFY(prezzoAlKg(2.5, QStringLiteral("mezzo chilo")).isEmpty());
        QVERIFY(prezzoAlKg(2.5, QVariant()).isEmpty());
        QVERIFY(prezzoAlKg(QVariant(), QStringLiteral("500")).isEmpty());
        QCOMPARE(prezzo(QVariant()), QStringLiteral("€ "));
        QCOMPARE(prezzo(1234.5), QStringLiteral("€ 1.234,50"));

        ArticoloEtichetta a{QStringLiteral("pasta di semola di grano duro trafilata"), 1.5, QStringLiteral("500"),
                            QStringLiteral("12345670"), QStringLiteral("400638133393")};
        auto t = testi(a, {true, true}, QStringLiteral("Bottega"));
        QCOMPARE(t[eliDescrizione], QStringLiteral("PASTA DI SEMOLA DI GRANO"));
        QVERIFY(t[eliBarcode].isEmpty()); // a 12-digit barcode encodes nothing
        t = testi(a, {false, true}, {});
        QCOMPARE(ModuloEAN::decodifica(t[eliBarcode]), QStringLiteral("12345670"));
        t = testi(a, {false, false}, {});
        QCOMPARE(t[eliBarcode], QStringLiteral("12345670"));

        // The selection: all articles, the modified ones, the marked ones.
        fixture::articoli(5);
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 1 WHERE CodMateriale IN (2, 4)"));
        QVERIFY(Db::exec("UPDATE Magazzino SET TipoVariazione = 'F' WHERE CodMateriale = 5"));
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Vero"));
        QString modo = QStringLiteral("TOOLBAR");
        QCOMPARE(conteggio(seleziona(modo, {false, false}), 24), 5);
        QCOMPARE(conteggio(seleziona(modo, {true, false}), 24), 2);
        modo = QStringLiteral("GRIGLIA");
        QCOMPARE(conteggio(seleziona(modo, {}), 24), 2);
        modo = QStringLiteral("ALTRO");
        QVERIFY(!seleziona(modo, {}).valore);
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Falso"));
        modo = QStringLiteral("GRIGLIA");
        QCOMPARE(conteggio(seleziona(modo, {false, true}), 24), 1);
        QCOMPARE(conteggio(seleziona(modo, {false, false}), 24), 3);
        QCOMPARE(modo, QStringLiteral("TOOLBAR"));
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 0, TipoVariazione = NULL"));
        QCOMPARE(conteggio(seleziona(modo, {false, false}), 24), 5);
        QVERIFY(Db::exec("DELETE FROM Magazzino"));
        QCOMPARE(conteggio(seleziona(modo, {false, false}), 24), 24); // an empty selection keeps the count
    }

    void printedSheetScansAndReads()
    {
        TestEnv env;
        fixture::articoli(50);
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Vero"));
        EasyPrint e;
        preparaFoglio(e, 3, 8);
        QCOMPARE(e.labelCopies(), 50);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("etichette.pdf"));
        QCOMPARE(stampaPdf(e, pdf, DisegnoEtichette::pagineDaStampare(e, 1, 3, 0)), QString());
        QCOMPARE(fixture::pagine(pdf), 3);

        // Every barcode scans to its article's EAN, once.
        const QStringList letti = fixture::codiciLetti(pdf, dir.path());
        QSet<QString> attesi;
        for (int i = 1; i <= 50; ++i)
            attesi << fixture::ean(i);
        QCOMPARE(letti.size(), 50);
        QCOMPARE(QSet<QString>(letti.begin(), letti.end()), attesi);

        // Each description and price lies inside its own label's cell.
        const auto parole = fixture::parole(pdf);
        for (int i = 1; i <= 50; ++i) {
            const int indice = i - 1;
            const int pagina = indice / 24 + 1;
            const QRectF t = e.cella(indice);
            const QRectF cella(t.x() / 20, t.y() / 20, t.width() / 20, t.height() / 20);
            const QString des = fixture::descrizione(i).toUpper();
            const QString prz = Vb::money(fixture::costo(i));
            bool trovataDes = false;
            bool trovatoPrz = false;
            for (const auto& p : parole) {
                if (p.pagina != pagina || !cella.contains(p.box))
                    continue;
                trovataDes = trovataDes || p.testo == des;
                trovatoPrz = trovatoPrz || p.testo == prz;
            }
            QVERIFY2(trovataDes, qPrintable(des));
            QVERIFY2(trovatoPrz, qPrintable(prz));
        }
    }

    // The printed cells on a sheet whose four margins all differ and whose labels have a gap both
    // across and down, measured on the PDF against the layout's own arithmetic written out here:
    // a cell measured from the wrong margin or missing a gap lands a centimetre off.
    void printedCellsFollowMarginsAndGaps()
    {
        TestEnv env;
        const double sinistro = 1.6, destro = 0.4, alto = 1.1, basso = 2.3, gap = 0.7; // cm
        const int colonne = 3, righe = 5;
        EasyPrint e;
        e.setScaleMode(EasyPrint::Centimetri);
        e.setMarginLeft(sinistro);
        e.setMarginRight(destro);
        e.setMarginTop(alto);
        e.setMarginBottom(basso);
        e.setLabelDistance(gap);
        QVERIFY(e.impostaGriglia(colonne, righe));
        const int n = colonne * righe + 2; // a second page, whose cells start over
        for (int i = 1; i <= n; ++i)
            e.articoli.append({fixture::descrizione(i), fixture::costo(i), QStringLiteral("500"), {}, {}});
        e.setLabelCopies(n);
        e.modello.formato = Formato::progetto();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("margini.pdf"));
        QCOMPARE(stampaPdf(e, pdf, {1, 2}), QString());

        // Twips: A4 is 210 x 297 mm, 567 twips to the centimetre.
        const double pagina[2] = {210 / 25.4 * 1440, 297 / 25.4 * 1440};
        const double larghezza = (pagina[0] - (sinistro + destro) * 567 - (colonne - 1) * gap * 567) / colonne;
        const double altezza = (pagina[1] - (alto + basso) * 567 - (righe - 1) * gap * 567) / righe;
        const QPoint des = Formato::progetto().posizione[eliDescrizione];
        const auto parole = fixture::parole(pdf);
        for (int i = 1; i <= n; ++i) {
            const int cella = (i - 1) % (colonne * righe);
            const int r = cella / colonne, c = cella % colonne;
            const double x = (sinistro * 567 + c * (larghezza + gap * 567) + des.x()) / 20; // points
            const double y = (alto * 567 + r * (altezza + gap * 567) + des.y()) / 20;
            const QString testo = fixture::descrizione(i).toUpper();
            QRectF box;
            for (const auto& p : parole)
                if (p.testo == testo && p.pagina == (i - 1) / (colonne * righe) + 1)
                    box = p.box;
            QVERIFY2(!box.isNull(), qPrintable(testo));
            // Within a point and a half: the glyphs' own bearing and the font's ascent.
            QVERIFY2(qAbs(box.left() - x) < 1.5 && qAbs(box.top() - y) < 1.5,
                     qPrintable(QStringLiteral("%1 (riga %2, colonna %3): (%4, %5) invece di (%6, %7)")
                                    .arg(testo)
                                    .arg(r)
                                    .arg(c)
                                    .arg(box.left())
                                    .arg(box.top())
                                    .arg(x)
                                    .arg(y)));
        }
    }

    void singleLabelAndNoBlankSheet()
    {
        TestEnv env;
        fixture::articoli(30);
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Vero"));
        EasyPrint e;
        preparaFoglio(e, 3, 8);
        QTemporaryDir dir;
        // Label 5 alone: one page, one barcode (the first article), in the fifth cell.
        const QString uno = dir.filePath(QStringLiteral("uno.pdf"));
        QCOMPARE(stampaPdf(e, uno, DisegnoEtichette::pagineDaStampare(e, 1, 1, 5), 5), QString());
        QCOMPARE(fixture::pagine(uno), 1);
        QCOMPARE(fixture::codiciLetti(uno, dir.path()), QStringList{fixture::ean(1)});
        const QRectF t = e.cella(4);
        const QRectF cella(t.x() / 20, t.y() / 20, t.width() / 20, t.height() / 20);
        bool dentro = false;
        for (const auto& p : fixture::parole(uno)) {
            QVERIFY2(p.testo != QLatin1String("DES") && p.testo != QLatin1String("PRZ"), qPrintable(p.testo));
            dentro = dentro || (p.testo == fixture::descrizione(1).toUpper() && cella.contains(p.box));
        }
        QVERIFY(dentro);

        // Page 2 holds 6 labels and is the last sheet: nothing after it.
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        const QString due = dir.filePath(QStringLiteral("due.pdf"));
        QCOMPARE(stampaPdf(e, due, DisegnoEtichette::pagineDaStampare(e, 2, 2, 0)), QString());
        QCOMPARE(fixture::pagine(due), 1);
        QCOMPARE(fixture::codiciLetti(due, dir.path()).size(), 6);
    }
};

QTEST_MAIN(TestLabelSheet)
#include "tst_labelsheet.moc"
