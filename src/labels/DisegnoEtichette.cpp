#include "labels/DisegnoEtichette.h"

#include "labels/ModuloEAN.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <zint.h>

#include <memory>

namespace DisegnoEtichette {
namespace {

const QString kFontCifre = QStringLiteral("Arial");

// A font in points as the device must draw it for `pxPerTwip` pixels per twip: the device
// resolves points with its own dpi, which a preview at a zoom does not share.
QFont fontPer(const QPaintDevice* dev, double pxPerTwip, const FontEtichetta& f)
{
    QFont q(f.nome);
    const double dpi = dev ? dev->logicalDpiY() : 96.0;
    q.setPointSizeF(qMax(0.1, f.dimensione * pxPerTwip * 1440.0 / dpi));
    q.setBold(f.grassetto);
    q.setItalic(f.corsivo);
    q.setUnderline(f.sottolineato);
    q.setStrikeOut(f.barrato);
    return q;
}

struct Simbolo
{
    zint_symbol* s = nullptr;
    ~Simbolo()
    {
        if (s)
            ZBarcode_Delete(s);
    }
};

// One module of the symbol in twips: the element's font size sets it, as it set the barcode
// font's symbol (0.30 mm at 22 points).
double moduloTwips(const FontEtichetta& f)
{
    return (f.dimensione > 0 ? f.dimensione : 22.0) * 20.0 / 26.0;
}

// The symbol of an EAN of `cifre` (check digit included) as vectors, two units to a module, its
// top-left at the element's place; the bar height follows the element's font size.
bool costruisciSimbolo(Simbolo& z, const FontEtichetta& f, const QString& cifre)
{
    z.s = ZBarcode_Create();
    if (!z.s)
        return false;
    const double dimensione = f.dimensione > 0 ? f.dimensione : 22.0;
    const double altezzaBarre = dimensione * 20.0 * 1.2;
    z.s->symbology = BARCODE_EANX;
    z.s->height = float(altezzaBarre / moduloTwips(f));
    z.s->show_hrt = 1;
    const QByteArray dati = cifre.left(cifre.size() - 1).toLatin1();
    if (ZBarcode_Encode(z.s, reinterpret_cast<const unsigned char*>(dati.constData()), int(dati.size())) >= ZINT_ERROR)
        return false;
    return ZBarcode_Buffer_Vector(z.s, 0) < ZINT_ERROR && z.s->vector;
}

bool disegnaBarcode(QPainter& p, double pxPerTwip, const QPointF& twips, const FontEtichetta& f, const QString& cifre)
{
    Simbolo z;
    if (!costruisciSimbolo(z, f, cifre))
        return false;
    const double modulo = moduloTwips(f);
    // Vector units: two to a module at scale 1.
    const double k = modulo / 2.0 * pxPerTwip;
    const QPointF o = twips * pxPerTwip;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colore(f.colore));
    for (const zint_vector_rect* r = z.s->vector->rectangles; r; r = r->next)
        if (r->colour == -1)
            p.drawRect(QRectF(o.x() + r->x * k, o.y() + r->y * k, r->width * k, r->height * k));
    p.setPen(colore(f.colore));
    for (const zint_vector_string* t = z.s->vector->strings; t; t = t->next) {
        FontEtichetta fc;
        fc.nome = kFontCifre;
        fc.dimensione = t->fsize * modulo / 2.0 / 20.0 * 0.8;
        const QFont font = fontPer(p.device(), pxPerTwip, fc);
        p.setFont(font);
        const QString testo = QString::fromUtf8(reinterpret_cast<const char*>(t->text), t->length);
        const double w = QFontMetricsF(font, p.device()).horizontalAdvance(testo);
        double x = o.x() + t->x * k;
        if (t->halign == 0)
            x -= w / 2;
        else if (t->halign == 2)
            x -= w;
        p.drawText(QPointF(x, o.y() + t->y * k), testo);
    }
    p.restore();
    return true;
}

} // namespace

QSizeF dimensioneBarcode(const FontEtichetta& font, const QString& testo)
{
    const QString cifre = ModuloEAN::decodifica(testo);
    Simbolo z;
    if (cifre.isEmpty() || !costruisciSimbolo(z, font, cifre))
        return {};
    const double k = moduloTwips(font) / 2.0;
    return {z.s->vector->width * k, z.s->vector->height * k};
}

QColor colore(VbColor c)
{
    if (c & 0x80000000LL)
        return Qt::black;
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

void disegnaTesto(QPainter& p, double pxPerTwip, const QPointF& twips, const FontEtichetta& f, const QString& testo)
{
    if (testo.isEmpty())
        return;
    const QString cifre = ModuloEAN::decodifica(testo);
    if (!cifre.isEmpty() && disegnaBarcode(p, pxPerTwip, twips, f, cifre))
        return;
    const QFont font = fontPer(p.device(), pxPerTwip, f);
    p.setFont(font);
    p.setPen(colore(f.colore));
    const double ascent = QFontMetricsF(font, p.device()).ascent();
    p.drawText(QPointF(twips.x() * pxPerTwip, twips.y() * pxPerTwip + ascent), testo);
}

void disegnaPagina(QPainter& p, double pxPerTwip, const EasyPrint& foglio, int pagina, int numero)
{
    const QSizeF area = foglio.stampabile();
    if (area.width() <= 0 || area.height() <= 0 || area.width() < foglio.larghezzaTwips() || pagina < 1)
        return;
    const ModelloEtichetta& m = foglio.modello;
    const int perFoglio = foglio.etichettePerFoglio();
    const int prima = numero > 0 ? 0 : foglio.primaEtichetta(pagina);
    const int fine = numero > 0 ? 1 : qMin(foglio.labelCopies(), prima + perFoglio);
    for (int i = prima; i < fine; ++i) {
        const int indiceCella = numero > 0 ? numero - 1 : i - prima;
        const QPointF origine = foglio.cella(indiceCella).topLeft();
        std::array<QString, kElementiTesto> t = m.didascalia;
        // Without an article the cell shows the designer's captions; a single label shows the
        // first article, so it is never a label of placeholders.
        const int indiceArticolo = numero > 0 ? 0 : i;
        if (!foglio.modoGriglia && indiceArticolo < foglio.articoli.size())
            t = ArticoliEtichette::testi(foglio.articoli.at(indiceArticolo), foglio.opzioni, m.didascalia[eliAttivita]);
        if (m.conIcona && !m.icona.isNull()) {
            const QRectF r((origine + QPointF(m.formato.posizioneIcona)) * pxPerTwip, m.dimensioneIcona * pxPerTwip);
            p.drawImage(r, m.icona);
        }
        for (int e = 0; e < kElementiTesto; ++e)
            disegnaTesto(p, pxPerTwip, origine + QPointF(m.formato.posizione[e]), m.formato.font[e], t[e]);
    }
}

QList<int> pagineDaStampare(const EasyPrint& foglio, int da, int a, int numero)
{
    QList<int> out;
    if (foglio.labelCopies() <= 0 || foglio.etichettePerFoglio() <= 0)
        return out;
    if (numero > 0) {
        if (numero <= foglio.etichettePerFoglio())
            out << 1;
        return out;
    }
    const int ultima = qMin(a, foglio.pages());
    for (int pagina = qMax(da, 1); pagina <= ultima; ++pagina)
        out << pagina;
    return out;
}

Esito stampa(QPagedPaintDevice& dev, const EasyPrint& foglio, const QList<int>& pagine, int numero,
             ProgressSink& progresso)
{
    if (pagine.isEmpty())
        return Esito::riuscito();
    dev.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    QPainter p;
    if (!p.begin(&dev)) {
        const Esito e = Esito::fallito(VbErr::PermissionDenied, QStringLiteral("stampante non disponibile"));
        ScriviErrore(QStringLiteral("StampaFront"), QStringLiteral("PrintDoc"), e);
        return e;
    }
    const double pxPerTwip = dev.logicalDpiX() / 1440.0;
    progresso.setRange(0, int(pagine.size()));
    Esito esito;
    for (int i = 0; i < pagine.size(); ++i) {
        if (i > 0 && !dev.newPage()) {
            esito = Esito::fallito(VbErr::PermissionDenied, QStringLiteral("nuova pagina non riuscita"));
            break;
        }
        progresso.setStatus(QStringLiteral("Pagina: %1").arg(pagine.at(i)));
        disegnaPagina(p, pxPerTwip, foglio, pagine.at(i), numero);
        progresso.setValue(i + 1);
    }
    if (!p.end() && esito.ok)
        esito = Esito::fallito(VbErr::PermissionDenied, QStringLiteral("stampa non completata"));
    if (!esito.ok)
        ScriviErrore(QStringLiteral("StampaFront"), QStringLiteral("PrintDoc"), esito);
    return esito;
}

} // namespace DisegnoEtichette
