// 1,000 shelf labels on 3 x 8 sheets of A4 (42 pages), barcodes included, printed to the PDF
// backend through the label painter; against a bare QPdfWriter drawing the same texts and the
// same bars as filled rectangles, laid out beforehand. Prints both times and their ratio.
#include "Riuscito.h"
#include "labels/DisegnoEtichette.h"
#include "labels/ModuloEAN.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>
#include <zint.h>

namespace {

constexpr int kEtichette = 1000;

// One label as plain drawing work: texts at their baselines and bar rectangles, in twips.
struct Testo
{
    QPointF punto;
    QFont font;
    QString testo;
};
struct Lavoro
{
    int pagina;
    std::vector<Testo> testi;
    std::vector<QRectF> barre;
};

EasyPrint foglio()
{
    EasyPrint e;
    e.setScaleMode(EasyPrint::Centimetri);
    e.setLabelDistance(1);
    e.impostaGriglia(3, 8);
    for (int i = 0; i < kEtichette; ++i) {
        QString c = QStringLiteral("80012345%1").arg(i, 4, 10, QLatin1Char('0'));
        ModuloEAN::EAN13(c);
        e.articoli.append({QStringLiteral("Prodotto di prova %1").arg(i), 1.0 + i / 100.0, QStringLiteral("500"),
                           QStringLiteral("F%1").arg(i), c});
    }
    e.setLabelCopies(kEtichette);
    FormatoEtichetta f = Formato::progetto();
    if (!Formato::carica(f))
        qFatal("label layout not read");
    e.modello.formato = f;
    e.modello.didascalia[eliAttivita] = QStringLiteral("Negozio");
    e.opzioni.mostraBarcode = true;
    return e;
}

QFont fontPunti(const FontEtichetta& f, double pxPerTwip, double dpi)
{
    QFont q(f.nome);
    q.setPointSizeF(f.dimensione * pxPerTwip * 1440.0 / dpi);
    q.setBold(f.grassetto);
    return q;
}

// The same drawing, worked out before the clock starts.
std::vector<Lavoro> prepara(const EasyPrint& e)
{
    std::vector<Lavoro> out;
    const auto& m = e.modello;
    for (int i = 0; i < e.labelCopies(); ++i) {
        Lavoro l;
        l.pagina = i / e.etichettePerFoglio() + 1;
        const QPointF o = e.cella(i).topLeft();
        const auto t = ArticoliEtichette::testi(e.articoli.at(i), e.opzioni, m.didascalia[eliAttivita]);
        for (int k = 0; k < kElementiTesto; ++k) {
            const QPointF p = o + QPointF(m.formato.posizione[k]);
            if (k != eliBarcode) {
                l.testi.push_back({p, QFont(), t[k]});
                continue;
            }
            const QString cifre = ModuloEAN::decodifica(t[k]);
            zint_symbol* s = ZBarcode_Create();
            s->symbology = BARCODE_EANX;
            const double modulo = 22 * 20.0 / 26.0;
            s->height = float(22 * 20.0 * 1.2 / modulo);
            const QByteArray d = cifre.left(12).toLatin1();
            riuscito(ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(d.constData()), int(d.size())) <
                         ZINT_ERROR,
                     "bare barcode (encode)", QString::fromLatin1(s->errtxt));
            riuscito(ZBarcode_Buffer_Vector(s, 0) < ZINT_ERROR, "bare barcode (vector)",
                     QString::fromLatin1(s->errtxt));
            for (auto* r = s->vector->rectangles; r; r = r->next)
                l.barre.push_back(QRectF(p.x() + r->x * modulo / 2, p.y() + r->y * modulo / 2, r->width * modulo / 2,
                                         r->height * modulo / 2));
            for (auto* z = s->vector->strings; z; z = z->next)
                l.testi.push_back({QPointF(p.x() + z->x * modulo / 2, p.y() + z->y * modulo / 2), QFont(),
                                   QString::fromLatin1(reinterpret_cast<const char*>(z->text))});
            ZBarcode_Delete(s);
        }
        out.push_back(std::move(l));
    }
    return out;
}

double labelPainter(const EasyPrint& e, const QString& file)
{
    QElapsedTimer t;
    t.start();
    QPdfWriter w(file);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setResolution(1200);
    NoProgress np;
    riuscito(DisegnoEtichette::stampa(w, e, DisegnoEtichette::pagineDaStampare(e, 1, 99, 0), 0, np),
             "label painter to PDF");
    return double(t.nsecsElapsed()) / 1e6;
}

double barePdf(const EasyPrint& e, std::vector<Lavoro> lavoro, const QString& file)
{
    QElapsedTimer t;
    t.start();
    QPdfWriter w(file);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(0, 0, 0, 0));
    w.setResolution(1200);
    QPainter p(&w);
    riuscito(p.isActive(), "bare QPdfWriter (painter)");
    const double k = w.logicalDpiX() / 1440.0;
    const auto& m = e.modello.formato;
    std::array<QFont, kElementiTesto> font;
    for (int i = 0; i < kElementiTesto; ++i)
        font[i] = fontPunti(m.font[i], k, w.logicalDpiY());
    FontEtichetta cifre;
    cifre.dimensione = 8;
    const QFont fontCifre = fontPunti(cifre, k, w.logicalDpiY());
    int pagina = 1;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const Lavoro& l : lavoro) {
        if (l.pagina != pagina) {
            w.newPage();
            pagina = l.pagina;
        }
        for (size_t i = 0; i < l.testi.size(); ++i) {
            p.setFont(i < 4 ? font[i < 3 ? i : 3] : fontCifre);
            p.setPen(Qt::black);
            p.drawText(l.testi[i].punto * k, l.testi[i].testo);
        }
        for (const QRectF& r : l.barre)
            p.fillRect(QRectF(r.topLeft() * k, r.size() * k), Qt::black);
    }
    riuscito(p.end(), "bare QPdfWriter (end)");
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    TestEnv env;
    const EasyPrint e = foglio();
    QTemporaryDir dir;
    const std::vector<Lavoro> lavoro = prepara(e);
    // One warm-up of each, then the best of three.
    labelPainter(e, dir.filePath(QStringLiteral("w1.pdf")));
    barePdf(e, lavoro, dir.filePath(QStringLiteral("w2.pdf")));
    double pittore = 1e18;
    double nudo = 1e18;
    for (int i = 0; i < 3; ++i) {
        pittore = std::min(pittore, labelPainter(e, dir.filePath(QStringLiteral("a%1.pdf").arg(i))));
        nudo = std::min(nudo, barePdf(e, lavoro, dir.filePath(QStringLiteral("b%1.pdf").arg(i))));
    }
    std::printf("labels: %d labels, %d pages (3 x 8, A4), barcodes included\n", e.labelCopies(), e.pages());
    std::printf("label painter to PDF:      %8.1f ms (%lld bytes)\n", pittore,
                qlonglong(QFile(dir.filePath(QStringLiteral("a0.pdf"))).size()));
    std::printf("bare QPdfWriter, same work: %8.1f ms (%lld bytes)\n", nudo,
                qlonglong(QFile(dir.filePath(QStringLiteral("b0.pdf"))).size()));
    std::printf("ratio: %.2f (goal: at most 2, and under 5000 ms)\n", pittore / nudo);
    return 0;
}
