// The label windows through their real controls: the designer (moves, fonts, grid, save and
// reload), the preview's paging and printing through the print-range dialog to the PDF printer,
// the print-range refusals, and the label printer made the default around the designer.
#include "archive/ui/Magazzino.h"
#include "core/VbConvert.h"
#include "core/ui/Printers.h"
#include "labels/ui/StampaFrontalino.h"
#include "labels/ui/frmConfiguraLabel.h"
#include "labels/ui/frmPreview.h"
#include "labels/ui/frmPrint.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include "labels/LabelFixture.h"
#include "labels/ReportSupport.h"

#include <QPrinter>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>

namespace {

class FontScelto final : public ScegliFont
{
public:
    std::optional<FontEtichetta> risposta;
    int chiamate = 0;
    std::optional<FontEtichetta> scegli(QWidget*, const FontEtichetta&) override
    {
        ++chiamate;
        return risposta;
    }
};

// Runs `fn` once on the first visible top-level widget of type T (a modal window's contents).
template <class T> void quandoAppare(std::function<void(T*)> fn)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                fn(t);
                return;
            }
        }
    });
    timer->start();
}

void imposta(const QString& sezione, const QString& chiave, const QString& valore)
{
    QVERIFY(ScriviINI(app().percorsoSetup, sezione, chiave, valore));
}

// A free point of the label surface near `vicino` (px), where a drop moves an element.
QPoint puntoLibero(frmConfiguraLabel& w, QPoint vicino)
{
    for (int dy = 0; dy < 200; dy += 5)
        for (int dx = 0; dx < 200; dx += 5) {
            const QPoint p = vicino + QPoint(dx, dy);
            QWidget* c = w.superficie->childAt(p);
            if (!c || c == w.Shape1)
                return p;
        }
    return vicino;
}

// The print-range dialog answered with option `opzione` (and the boxes), from the preview.
void stampaDallAnteprima(frmPreview& p, int opzione, const QString& inizio = {}, const QString& fine = {},
                         const QString& numero = {})
{
    quandoAppare<frmPrint>([=](frmPrint* d) {
        d->optPrint[opzione]->click();
        if (!inizio.isEmpty()) {
            d->txtStart->setText(inizio);
            d->txtEnd->setText(fine);
        }
        if (!numero.isEmpty())
            QTest::keyClicks(d->txtNumEti, numero);
        d->cmdPrint->click();
        if (d->isVisible())
            d->cmdCancel->click();
    });
    p.cmdPrint->click();
}

// The box spanned by the columns of `img` inside `zona` that hold a dark vertical run of at least
// `barra` pixels: the bars of a symbol, taller than any glyph of the label.
QRect barre(const QImage& img, const QRect& zona, int barra)
{
    QRect box;
    for (int x = zona.left(); x <= zona.right(); ++x) {
        int inizio = -1;
        for (int y = zona.top(); y <= zona.bottom() + 1; ++y) {
            const QRgb c = y <= zona.bottom() ? img.pixel(x, y) : qRgb(255, 255, 255);
            if (qAlpha(c) > 128 && qGray(c) < 128) {
                if (inizio < 0)
                    inizio = y;
            } else if (inizio >= 0) {
                if (y - inizio >= barra)
                    box |= QRect(x, inizio, 1, y - inizio);
                inizio = -1;
            }
        }
    }
    return box;
}

} // namespace

class TestLabelWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A failed check leaves no window behind for the next test to find.
    void cleanup()
    {
        QList<QPointer<QWidget>> finestre;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<FormBase*>(w))
                finestre << w;
        for (const auto& w : finestre)
            delete w.data();
    }

    void designerMovesFontsGridSaveReload()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio");
        QCOMPARE(Printers::systemDefault(), QStringLiteral("Etichette"));
        ScriptedInteraction& ui = env.interazione();
        FontScelto font;
        auto* w = new frmConfiguraLabel(ui, font, {}, std::nullopt);
        w->load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // First opening: the flags are written as "Falso" and the placeholders show.
        QCOMPARE(LeggiINI(app().percorsoSetup, "Etichetta", "VediBARCODE", "?"), QStringLiteral("Falso"));
        QCOMPARE(w->lblRigaEti[eliAttivita]->testo(), QStringLiteral("MiaAttività"));
        QCOMPARE(w->lblRigaEti[eliPrezzo]->testo(), QStringLiteral("€ PRZ"));
        QCOMPARE(w->txtNumCol->text(), QStringLiteral("3"));
        const double k = w->superficie->logicalDpiX() / 1440.0;
        QCOMPARE(w->Shape1->width(), int(std::lround((21.0 - 2) / 3 * 567 * k)));

        // Without "Sposta Testo" a press drags nothing and a click asks for a font.
        ElementoEtichetta* prezzo = w->lblRigaEti[eliPrezzo];
        const QPoint prima = prezzo->pos();
        font.risposta = FontEtichetta{QStringLiteral("L'Italiana"), 12, true, false, true, false, 0xFF};
        QTest::mouseClick(prezzo, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(font.chiamate, 1);
        QCOMPARE(prezzo->pos(), prima);
        QCOMPARE(prezzo->font().nome, QStringLiteral("L'Italiana"));
        QCOMPARE(prezzo->font().colore, VbColor(0)); // the element keeps its colour
        font.risposta.reset();                       // Cancel changes nothing
        QTest::mouseClick(w->lblRigaEti[eliDescrizione], Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(w->lblRigaEti[eliDescrizione]->font().nome, QStringLiteral("Arial"));

        // Drag the price to a free point: the grabbed point lands under the pointer.
        w->chkAllowDragging->setChecked(true);
        const QPoint presa(3, 3);
        const QPoint meta = puntoLibero(*w, prima + QPoint(60, 40));
        QTest::mousePress(prezzo, Qt::LeftButton, {}, presa);
        QTest::mouseRelease(prezzo, Qt::LeftButton, {}, meta - prima);
        QCOMPARE(prezzo->pos(), meta - presa);
        const QPoint nuovoTwips = w->formato().posizione[eliPrezzo];
        QCOMPARE(nuovoTwips.y(), int(std::lround((meta.y() - presa.y()) / k)));
        // Dropped on another element it stays where it was.
        ElementoEtichetta* des = w->lblRigaEti[eliDescrizione];
        QTest::mousePress(prezzo, Qt::LeftButton, {}, presa);
        QTest::mouseRelease(prezzo, Qt::LeftButton, {}, des->geometry().center() - prezzo->pos());
        QCOMPARE(w->formato().posizione[eliPrezzo], nuovoTwips);

        // The grid: letters refused, 4 columns at once, a grid too dense refused.
        w->txtNumCol->selectAll();
        QTest::keyClicks(w->txtNumCol, QStringLiteral("x4"));
        QCOMPARE(w->txtNumCol->text(), QStringLiteral("4"));
        QCOMPARE(w->documento()->maxCol(), 4);
        QCOMPARE(w->Shape1->width(), int(std::lround((21.0 - 3) / 4 * 567 * k)));
        w->txtNumRighe->selectAll();
        QTest::keyClicks(w->txtNumRighe, QStringLiteral("90"));
        QCOMPARE(w->documento()->maxRow(), 9); // 4 x 90 is more than a sheet holds: 9 stays
        QVERIFY(!ui.asked.isEmpty());
        w->txtNumRighe->selectAll();
        QTest::keyClicks(w->txtNumRighe, QStringLiteral("6"));
        QCOMPARE(w->documento()->maxRow(), 6);
        w->txtNumCol->setText(QStringLiteral("99999999999999999999"));
        QCOMPARE(w->documento()->maxCol(), 4);
        w->txtNumCol->setText(QStringLiteral("4"));

        w->cmdSalva->click();
        QCOMPARE(valoreDb("SELECT NumCol FROM FormatoEtichetta").toInt(), 4);
        QCOMPARE(valoreDb("SELECT NumRow FROM FormatoEtichetta").toInt(), 6);
        QCOMPARE(valoreDb("SELECT FontC FROM FormatoEtichetta").toString(), QStringLiteral("L'Italiana"));
        QCOMPARE(valoreDb("SELECT XCliente FROM FormatoEtichetta").toInt(), nuovoTwips.y());
        QCOMPARE(valoreDb("SELECT YCliente FROM FormatoEtichetta").toInt(), nuovoTwips.x());
        const FormatoEtichetta salvato = w->formato();

        // "NO Icona" hides the icon and reloads the stored layout.
        w->Check1->setChecked(true);
        QVERIFY(!w->Picture1->isVisible());
        QVERIFY(!w->documento()->modello.conIcona);
        w->Check1->setChecked(false);
        QVERIFY(w->Picture1->isVisible());

        w->cmdChiudi->click();
        QCOMPARE(app().modoEtichette, QStringLiteral("TOOLBAR"));
        QVERIFY(app().saltaAggiornamento);

        auto* di = new frmConfiguraLabel(ui, font, {}, std::nullopt);
        di->load();
        QCOMPARE(di->formato(), salvato);
        QCOMPARE(di->txtNumCol->text(), QStringLiteral("4"));
        di->unload();
    }

    void previewPagingAndPrinting()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio");
        QCOMPARE(Printers::systemDefault(), QStringLiteral("Etichette"));
        fixture::articoli(50);
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Vero"));
        fixture::etichetta(QStringLiteral("VediBARCODE"), QStringLiteral("Vero"));
        ScriptedInteraction& ui = env.interazione();
        FontScelto font;
        auto* w = new frmConfiguraLabel(ui, font, {}, std::nullopt);
        w->load();
        w->show();
        QCOMPARE(w->documento()->labelCopies(), 50);
        // The page is the label printer's, from the paper edge.
        const QRectF carta = Printers::printerFor()->pageLayout().fullRect(QPageLayout::Point);
        QVERIFY(qAbs(w->documento()->pagina().width() - carta.width() * 20) < 1);

        bool fatto = false;
        quandoAppare<frmPreview>([&](frmPreview* p) {
            QCOMPARE(p->lblStatus->text(), QStringLiteral("Pagina: 1 / 3"));
            QVERIFY(!p->cmdPrevious->isEnabled());
            p->cmdNext->click();
            p->cmdNext->click();
            QVERIFY(!p->cmdNext->isEnabled());
            p->cmdPrevious->click();
            QCOMPARE(p->paginaCorrente(), 2);
            QCOMPARE(p->lblStatus->text(), QStringLiteral("Pagina: 2 / 3"));
            const int disegni = p->disegni();
            p->cboZoom->setCurrentIndex(0); // already 100 %: nothing redrawn
            QCOMPARE(p->disegni(), disegni);
            p->cboZoom->setCurrentIndex(3);
            QCOMPARE(p->zoom(), 0.0);
            QVERIFY(p->picDoc->pixmap().height() < p->picScroll->height());

            // "Pagina corrente" on page 2: that page alone, articles 25 to 48.
            stampaDallAnteprima(*p, 0);
            QCOMPARE(st.jobs().size(), 1);
            QCOMPARE(fixture::pagine(st.job(st.jobs().last())), 1);
            QTemporaryDir img;
            QStringList letti = fixture::codiciLetti(st.job(st.jobs().last()), img.path());
            QStringList attesi;
            for (int i = 25; i <= 48; ++i)
                attesi << fixture::ean(i);
            letti.sort();
            QCOMPARE(letti, attesi);
            QCOMPARE(p->paginaCorrente(), 2);
            QCOMPARE(p->lblStatus->text(), QStringLiteral("Pagina: 2 / 3"));

            // "Tutte le pagine" from page 2: every article once.
            stampaDallAnteprima(*p, 1);
            QCOMPARE(st.jobs().size(), 2);
            QCOMPARE(fixture::pagine(st.job(st.jobs().last())), 3);
            QTemporaryDir img2;
            letti = fixture::codiciLetti(st.job(st.jobs().last()), img2.path());
            QCOMPARE(letti.size(), 50);
            QCOMPARE(QSet<QString>(letti.begin(), letti.end()).size(), 50);
            QCOMPARE(p->paginaCorrente(), 2); // printing never moves the preview

            // "Pagina scelte" 2 to 9: pages 2 and 3 only.
            stampaDallAnteprima(*p, 2, QStringLiteral("2"), QStringLiteral("9"));
            QCOMPARE(fixture::pagine(st.job(st.jobs().last())), 2);
            // 3 to 2 is refused and prints nothing.
            const int prima = int(ui.asked.size());
            stampaDallAnteprima(*p, 2, QStringLiteral("3"), QStringLiteral("2"));
            QCOMPARE(st.jobs().size(), 3);
            QCOMPARE(ui.asked.mid(prima), QStringList{QStringLiteral("Inserire dati validi")});
            // One label at position 5.
            stampaDallAnteprima(*p, 3, {}, {}, QStringLiteral("5"));
            QCOMPARE(st.jobs().size(), 4);
            QCOMPARE(fixture::pagine(st.job(st.jobs().last())), 1);
            QTemporaryDir img3;
            QCOMPARE(fixture::codiciLetti(st.job(st.jobs().last()), img3.path()), QStringList{fixture::ean(1)});
            p->cmdClose->click();
            fatto = true;
        });
        w->cmdAnteprima->click();
        QVERIFY(fatto);
        w->cmdChiudi->click();
    }

    // The barcode element shows a symbol of the widest kind the labels print (an EAN-13 among
    // EAN-8s, whichever article comes first), at the size and place the sheet prints it, and its
    // box is that symbol's: a layout the symbol does not fit is seen before printing.
    void designerShowsTheBarcodeAsPrinted()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio");
        // By description: an EAN-8 first, then an EAN-13, then an EAN-8.
        const QStringList codici{QStringLiteral("96385074"), fixture::ean(2), QStringLiteral("12345670")};
        for (int i = 0; i < codici.size(); ++i)
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, Costo, BarCode) "
                                            "VALUES (?, ?, 1.5, ?)"),
                             {i + 1, fixture::descrizione(i + 1), codici.at(i)}));
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Vero"));
        fixture::etichetta(QStringLiteral("VediBARCODE"), QStringLiteral("Vero"));
        // Big labels, the barcode alone in their lower part, below every other element.
        FormatoEtichetta f = Formato::progetto();
        QVERIFY(Formato::carica(f));
        f.numCol = 2;
        f.numRow = 4;
        const int sotto = 2100; // twips from the label's top
        f.posizione[eliBarcode] = {600, sotto + 100};
        QVERIFY(Formato::salva(f));

        FontScelto font;
        auto* w = new frmConfiguraLabel(env.interazione(), font, {}, std::nullopt);
        w->load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        ElementoEtichetta* bc = w->lblRigaEti[eliBarcode];
        QCOMPARE(bc->testo(), QStringLiteral("BC")); // what a cell without an article prints
        const double k = w->superficie->logicalDpiX() / 1440.0;
        const auto twips = [](const QRect& px, double perTwip) {
            return QRectF(px.x() / perTwip, px.y() / perTwip, px.width() / perTwip, px.height() / perTwip);
        };
        const QRectF scatola = twips(bc->geometry(), k);
        const QRectF aVideo = twips(barre(bc->grab().toImage(), bc->rect(), int(400 * k)).translated(bc->pos()), k);
        QVERIFY(!aVideo.isEmpty());

        quandoAppare<frmPreview>([&](frmPreview* p) {
            stampaDallAnteprima(*p, 0);
            p->cmdClose->click();
        });
        w->cmdAnteprima->click();
        QCOMPARE(st.jobs().size(), 1);
        QTemporaryDir dir;
        const QString base = dir.filePath(QStringLiteral("pagina"));
        QCOMPARE(
            fixture::esegui(QStringLiteral("pdftoppm"),
                            {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
                             QStringLiteral("-png"), QStringLiteral("-singlefile"), st.job(st.jobs().last()), base})
                .codice,
            0);
        const QImage pagina(base + QStringLiteral(".png"));
        QVERIFY(!pagina.isNull());
        const double r = 300.0 / 1440.0;
        // Each printed symbol, bars and digits, from its cell's top-left; the widest is the EAN-13.
        QRectF simbolo, suCarta;
        for (int i = 0; i < codici.size(); ++i) {
            const QRectF cella = w->documento()->cella(i);
            const QRect zona(int(cella.x() * r), int((cella.y() + sotto) * r), int(cella.width() * r),
                             int((cella.height() - sotto) * r));
            QRect inchiostro;
            for (int y = zona.top(); y <= zona.bottom(); ++y)
                for (int x = zona.left(); x <= zona.right(); ++x)
                    if (qGray(pagina.pixel(x, y)) < 128)
                        inchiostro |= QRect(x, y, 1, 1);
            const QRectF s = twips(inchiostro, r).translated(-cella.topLeft());
            if (s.width() > simbolo.width()) {
                simbolo = s;
                suCarta = twips(barre(pagina, zona, int(400 * r)), r).translated(-cella.topLeft());
            }
        }
        QVERIFY(simbolo.width() > 1000); // an EAN-13 of 95 modules
        // The bars where they print: within half a millimetre.
        for (const double scarto : {aVideo.left() - suCarta.left(), aVideo.right() - suCarta.right(),
                                    aVideo.top() - suCarta.top(), aVideo.bottom() - suCarta.bottom()})
            QVERIFY2(qAbs(scarto) <= 30, qPrintable(QString::number(scarto)));
        // The box holds the printed symbol and its right quiet zone (7 modules of 17 twips), and
        // is no bigger than that by more than a glyph's bearing (under a millimetre).
        const double zonaDestra = 7 * 22 * 20 / 26.0;
        for (const double scarto : {simbolo.left() - scatola.left(), scatola.right() - simbolo.right() - zonaDestra,
                                    simbolo.top() - scatola.top(), scatola.bottom() - simbolo.bottom()})
            QVERIFY2(scarto >= -45 && scarto <= 45,
                     qPrintable(QStringLiteral("%1: box (%2, %3, %4 x %5), symbol (%6, %7, %8 x %9)")
                                    .arg(scarto)
                                    .arg(scatola.x())
                                    .arg(scatola.y())
                                    .arg(scatola.width())
                                    .arg(scatola.height())
                                    .arg(simbolo.x())
                                    .arg(simbolo.y())
                                    .arg(simbolo.width())
                                    .arg(simbolo.height())));
        w->cmdChiudi->click();
    }

    void designerShowsTheSelectedArticle()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio");
        QCOMPARE(Printers::systemDefault(), QStringLiteral("Etichette"));
        fixture::articoli(3, true); // three modified articles
        QVERIFY(Db::exec("UPDATE Magazzino SET CodProdottoFornitore = '9638507' WHERE CodMateriale = 1"));
        QVERIFY(Db::exec("UPDATE Magazzino SET CodProdottoFornitore = '96385074' WHERE CodMateriale = 2"));
        fixture::etichetta(QStringLiteral("SelezioneStandard"), QStringLiteral("Vero"));
        fixture::etichetta(QStringLiteral("ConvertiCodFornitoreInEAN8"), QStringLiteral("vero"));
        fixture::etichetta(QStringLiteral("VediBARCODE"), QStringLiteral("Si"));
        ScriptedInteraction& ui = env.interazione();
        FontScelto font;
        auto apri = [&](const Articoli::ArticoloElencato& r) {
            app().modoEtichette = QStringLiteral("GRIGLIA");
            auto* w = new frmConfiguraLabel(ui, font, {}, r);
            w->load();
            return w;
        };
        Articoli::ArticoloElencato riga;
        riga.codMateriale = 2;
        riga.descrizione = QStringLiteral("Biscotti al cioccolato fondente extra 350");
        riga.costo = 1.5;
        riga.barCode = fixture::ean(2);
        riga.tipoMateriale = QStringLiteral("500");
        auto* w = apri(riga);
        QCOMPARE(w->lblRigaEti[eliDescrizione]->testo(), QStringLiteral("BISCOTTI AL CIOCCOLATO F"));
        QCOMPARE(w->lblRigaEti[eliPrezzo]->testo(), QStringLiteral("€ 1,50"));
        QCOMPARE(w->lblRigaEti[eliPrezzoKg]->testo(), QStringLiteral("€ 3,00/Kg o LT"));
        // Both flags: the supplier code wins, re-encoded with its check digit.
        QCOMPARE(ModuloEAN::decodifica(w->lblRigaEti[eliBarcode]->testo()), QStringLiteral("96385074"));
        QCOMPARE(app().modoEtichette, QStringLiteral("GRIGLIA"));
        QCOMPARE(w->documento()->labelCopies(), 3);

        // GRIGLIA repeats the selected article on every label.
        w->show();
        quandoAppare<frmPreview>([&](frmPreview* p) {
            stampaDallAnteprima(*p, 1);
            p->cmdClose->click();
        });
        w->cmdAnteprima->click();
        QCOMPARE(st.jobs().size(), 1);
        QTemporaryDir img;
        const QString lavoro = st.job(st.jobs().last());
        QCOMPARE(fixture::codiciLetti(lavoro, img.path()),
                 QStringList{QStringLiteral("96385074")}); // zbar reads a code once
        int etichette = 0;
        for (const auto& p : fixture::parole(lavoro))
            etichette += p.testo == QLatin1String("BISCOTTI") ? 1 : 0;
        QCOMPARE(etichette, 3);
        w->unload();

        // A supplier code of 7 characters gives no barcode; a pack that is not a number no per-kg text.
        riga.codMateriale = 1;
        riga.tipoMateriale = QStringLiteral("mezzo");
        w = apri(riga);
        QVERIFY(w->lblRigaEti[eliBarcode]->testo().isEmpty());
        QVERIFY(w->lblRigaEti[eliPrezzoKg]->testo().isEmpty());
        w->unload();

        // No article marked: the mode turns to TOOLBAR, the captions still show the article.
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 0"));
        w = apri(riga);
        QCOMPARE(w->lblRigaEti[eliPrezzo]->testo(), QStringLiteral("€ 1,50"));
        QCOMPARE(app().modoEtichette, QStringLiteral("TOOLBAR"));
        w->unload();
    }

    void printFailureIsLoggedAndTold()
    {
        TestEnv env;
        QTemporaryDir d;
        writeRaw(d.filePath(QStringLiteral("file")), "x");
        // Jobs would go into a folder under a file: the print cannot start.
        env.stampanti().installa({QStringLiteral("Etichette")});
        env.stampanti().cartella = d.filePath(QStringLiteral("file/sub"));
        Contesto::stampanti().impostaCorrente(QStringLiteral("Etichette"));
        fixture::articoli(2);
        EasyPrint doc;
        fixture::comeIlDesigner(doc, 3, 8);
        doc.setLabelCopies(2);
        ScriptedInteraction& ui = env.interazione();
        auto* p = new frmPreview(ui, doc);
        p->load();
        p->show();
        p->stampa(1, 1, 0);
        QCOMPARE(ui.asked.size(), 1);
        QVERIFY(ui.asked.first().startsWith(QStringLiteral("Stampa delle etichette non riuscita")));
        QVERIFY(readAll(env.path(QStringLiteral("Dati/ErrorLog.dat"))).contains("StampaFront-PrintDoc"));
        QCOMPARE(p->lblStatus->text(), QStringLiteral("Pagina: 1 / 1"));
        p->unload();
    }

    void printRangeRefusals()
    {
        TestEnv env;
        ScriptedInteraction& ui = env.interazione();
        auto* d = new frmPrint(ui);
        d->setPageCurrent(1);
        d->setPageMax(1);
        d->setEtichettePerFoglio(24);
        d->load();
        d->show();
        QCOMPARE(d->lblPages->text(), QStringLiteral("1 / 1"));
        QVERIFY(!d->optPrint[1]->isEnabled());
        QVERIFY(!d->optPrint[2]->isEnabled());
        QVERIFY(d->optPrint[0]->isChecked());
        d->cmdPrint->click();
        QVERIFY(d->printDoc());
        QCOMPARE(d->pageStart(), 1);
        QCOMPARE(d->pageEnd(), 1);

        d->show();
        d->optPrint[3]->click();
        QTest::keyClicks(d->txtNumEti, QStringLiteral("a"));
        QCOMPARE(d->txtNumEti->text(), QString()); // digits only
        for (const char* n : {"", "0", "25", "99999"}) {
            d->txtNumEti->setText(QLatin1String(n));
            ui.asked.clear();
            d->cmdPrint->click();
            QVERIFY2(!d->printDoc(), n);
            QCOMPARE(ui.asked, QStringList{QStringLiteral("Inserire dati validi")});
            QVERIFY(d->isVisible());
        }
        d->txtNumEti->setText(QStringLiteral("24"));
        d->cmdPrint->click();
        QVERIFY(d->printDoc());
        QCOMPARE(d->numeroEtichetta(), 24);
        d->show();
        d->cmdCancel->click();
        QVERIFY(!d->printDoc());
        d->unload();

        auto* r = new frmPrint(ui);
        r->setPageCurrent(2);
        r->setPageMax(3);
        r->load();
        r->show();
        r->optPrint[2]->click();
        for (auto [s, e] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"0", "2"}, {"3", "2"}, {"", "2"}, {"4", "5"}, {"1", "40000"}}) {
            r->txtStart->setText(QLatin1String(s));
            r->txtEnd->setText(QLatin1String(e));
            r->cmdPrint->click();
            QVERIFY2(!r->printDoc(), s);
        }
        r->txtStart->setText(QStringLiteral("2"));
        r->txtEnd->setText(QStringLiteral("2"));
        r->cmdPrint->click();
        QVERIFY(r->printDoc());
        QCOMPARE(r->pageStart(), 2);
        QCOMPARE(r->pageEnd(), 2);
        r->unload();
    }

    void labelPrinterAroundTheDesigner()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio");
        ScriptedInteraction& ui = env.interazione();
        FontScelto font;
        QCOMPARE(Printers::setSystemDefault(QStringLiteral("A4 Ufficio")), 0);

        // Not set, then set to a printer that is not installed: refused, naming it; no designer.
        const QString rifiuto = QStringLiteral("Prima di proseguire definire la stampante per i Frontalini");
        QVERIFY(!StampaFrontalino::cmdStampaFrontalino_Click(ui, font, {}, std::nullopt));
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("xFrontalini"), QStringLiteral("Zebra"));
        QVERIFY(!StampaFrontalino::cmdStampaFrontalino_Click(ui, font, {}, std::nullopt));
        QCOMPARE(ui.asked,
                 QStringList({rifiuto, rifiuto + QStringLiteral("\nLa stampante \"Zebra\" non è installata")}));
        QCOMPARE(Printers::systemDefault(), QStringLiteral("A4 Ufficio"));

        // The label printer is the default while the designer is open; Predefinita comes back.
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("xFrontalini"), QStringLiteral("Etichette"));
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("Predefinita"), QStringLiteral("A4 Ufficio"));
        QString durante;
        quandoAppare<frmConfiguraLabel>([&](frmConfiguraLabel* w) {
            durante = Printers::systemDefault();
            w->cmdChiudi->click();
        });
        QVERIFY(StampaFrontalino::cmdStampaFrontalino_Click(ui, font, {}, std::nullopt));
        QCOMPARE(durante, QStringLiteral("Etichette"));
        QCOMPARE(Printers::systemDefault(), QStringLiteral("A4 Ufficio"));

        // Without Predefinita the printer the system had before comes back.
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("Predefinita"), QString());
        quandoAppare<frmConfiguraLabel>([&](frmConfiguraLabel* w) { w->close(); });
        QVERIFY(StampaFrontalino::cmdStampaFrontalino_Click(ui, font, {}, std::nullopt));
        QCOMPARE(Printers::systemDefault(), QStringLiteral("A4 Ufficio"));
    }

    void switchFailureKeepsTheDefault()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio", "Etichette");
        ScriptedInteraction& ui = env.interazione();
        FontScelto font;
        QCOMPARE(Printers::setSystemDefault(QStringLiteral("A4 Ufficio")), 0);
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("xFrontalini"), QStringLiteral("Etichette"));
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("Predefinita"), QStringLiteral("A4 Ufficio"));
        QVERIFY(!StampaFrontalino::cmdStampaFrontalino_Click(ui, font, {}, std::nullopt));
        QVERIFY(!Forms::isLoaded<frmConfiguraLabel>());
        QCOMPARE(Printers::systemDefault(), QStringLiteral("A4 Ufficio"));
    }

    void articleWindowButton()
    {
        TestEnv env;
        ReportPrinters st("Etichette;A4 Ufficio");
        fixture::articoli(3);
        Magazzino& m = Forms::get<Magazzino>();
        m.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        m.cmdStampaFrontalino->click();
        QVERIFY(env.messages().contains(QStringLiteral("Prima di proseguire definire la stampante per i Frontalini")));
        QVERIFY(!Forms::isLoaded<frmConfiguraLabel>());

        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("xFrontalini"), QStringLiteral("Etichette"));
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("Predefinita"), QStringLiteral("A4 Ufficio"));
        bool aperto = false;
        quandoAppare<frmConfiguraLabel>([&](frmConfiguraLabel* w) {
            aperto = true;
            QCOMPARE(w->documento()->labelCopies(), 3);
            w->cmdChiudi->click();
        });
        m.cmdStampaFrontalino->click();
        QVERIFY(aperto);
        QCOMPARE(Printers::systemDefault(), QStringLiteral("A4 Ufficio"));

        // A row clicked in the list: the designer shows that article with the list's texts.
        m.ListMagazzino->selezionaRiga(1);
        m.ListMagazzino_Click();
        QStringList didascalie;
        quandoAppare<frmConfiguraLabel>([&](frmConfiguraLabel* w) {
            didascalie = {w->lblRigaEti[eliDescrizione]->testo(), w->lblRigaEti[eliPrezzo]->testo()};
            w->cmdChiudi->click();
        });
        m.cmdStampaFrontalino->click();
        QCOMPARE(didascalie, (QStringList{QStringLiteral("PRODOTTO002"),
                                          QStringLiteral("€ ") + m.ListMagazzino->testo(1, ArticleList::colPrezzoV)}));
        QCOMPARE(didascalie.last(), QStringLiteral("€ 1,02"));
        m.unload();
    }

    // Predefinita cannot be made the default again after "Stampa Front.": the printer the system
    // had before comes back (reports must not go to the label sheets), and the user is told why
    // and which printer is the default now.
    void defaultThatCannotComeBack_data()
    {
        QTest::addColumn<QStringList>("installate");
        QTest::addColumn<QStringList>("guaste");
        QTest::addColumn<QString>("prima");       // the system's default before the button
        QTest::addColumn<QString>("predefinita"); // [STdiSISTEMA] Predefinita
        QTest::addColumn<QString>("dopo");        // the default afterwards
        QTest::addColumn<QString>("messaggio");
        const QString fallita = QStringLiteral("Impostazione della Stampante Fallita. Codice di Errore: 1\n");
        const QStringList tre{QStringLiteral("Etichette"), QStringLiteral("A4 Ufficio"), QStringLiteral("Ufficio 2")};
        QTest::newRow("no longer installed")
            << tre << QStringList() << "A4 Ufficio"
            << "Vecchia"
            << "A4 Ufficio"
            << fallita + QStringLiteral("La stampante A4 predefinita \"Vecchia\" non è installata\n"
                                        "Ora la stampante predefinita è \"A4 Ufficio\"");
        QTest::newRow("refuses to be the default")
            << tre << QStringList{QStringLiteral("A4 Ufficio")} << "Ufficio 2"
            << "A4 Ufficio"
            << "Ufficio 2" << fallita + QStringLiteral("Ora la stampante predefinita è \"Ufficio 2\"");
        QTest::newRow("nothing to go back to")
            << tre << QStringList() << "Etichette"
            << "Vecchia"
            << "Etichette"
            << fallita + QStringLiteral("La stampante A4 predefinita \"Vecchia\" non è installata\n"
                                        "RiAssegnare la stampante A4 predefinita\n"
                                        "Ora la stampante predefinita è \"Etichette\"");
    }
    void defaultThatCannotComeBack()
    {
        QFETCH(QStringList, installate);
        QFETCH(QStringList, guaste);
        QFETCH(QString, prima);
        QFETCH(QString, predefinita);
        QFETCH(QString, dopo);
        QFETCH(QString, messaggio);
        TestEnv env;
        env.stampanti().installa(installate, guaste);
        QCOMPARE(Printers::setSystemDefault(prima), 0);
        fixture::articoli(2);
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("xFrontalini"), QStringLiteral("Etichette"));
        imposta(QStringLiteral("STdiSISTEMA"), QStringLiteral("Predefinita"), predefinita);
        Magazzino& m = Forms::get<Magazzino>();
        m.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        env.clearMessages();
        QString durante;
        quandoAppare<frmConfiguraLabel>([&](frmConfiguraLabel* w) {
            durante = Printers::current();
            w->cmdChiudi->click();
        });
        m.cmdStampaFrontalino->click();
        QCOMPARE(durante, QStringLiteral("Etichette"));
        QCOMPARE(env.messages(), QStringList{messaggio});
        QCOMPARE(Printers::systemDefault(), dopo);
        // The program's printer follows: the next report goes where the message says.
        QCOMPARE(Printers::current(), dopo);
        QCOMPARE(Printers::printerFor()->docName(), dopo);
        m.unload();
    }
};

QTEST_MAIN(TestLabelWindows)
#include "tst_labelwindows.moc"
