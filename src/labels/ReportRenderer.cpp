#include "labels/ReportRenderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace ReportRenderer {

namespace {

constexpr int kPadding = 60;       // twips between a cell's border and its text
constexpr int kPaddingMinimo = 25; // what a text that must print whole leaves of the padding
constexpr int kPuntiDettaglio = 8;
constexpr int kSpazioBande = 120; // twips between the report header / last row and the next band

int altezzaTitolo(const RigaTitolo& t)
{
    return t.punti * 20 * 17 / 10;
}

int altezzaTitoli(const QList<RigaTitolo>& righe)
{
    int h = 0;
    for (const RigaTitolo& t : righe)
        h += altezzaTitolo(t);
    return righe.isEmpty() ? 0 : h + kSpazioBande;
}

QFont carattere(int punti, bool grassetto)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(punti);
    f.setBold(grassetto);
    // No ligatures: the printed text stays the same letters when read back or copied.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// Twips to the painter's units on the device.
struct Scala
{
    double perTwip = 1;
    double operator()(int tw) const { return tw * perTwip; }
    QRectF rect(int x, int y, int w, int h) const { return QRectF((*this)(x), (*this)(y), (*this)(w), (*this)(h)); }
};

class Pittore
{
public:
    Pittore(const Report& r, QPainter& p, const Scala& s) : m_r(r), m_p(p), m_s(s) {}

    int titoli(const QList<RigaTitolo>& righe, int y)
    {
        for (const RigaTitolo& t : righe) {
            const int h = altezzaTitolo(t);
            const QString riga = t.valore.isEmpty() ? t.testo : t.testo + QLatin1Char(' ') + t.valore;
            intero(riga, carattere(t.punti, t.grassetto), m_s.rect(0, y, m_r.larghezza, h), Qt::AlignLeft);
            y += h;
        }
        return righe.isEmpty() ? y : y + kSpazioBande;
    }

    int intestazionePagina(int y)
    {
        m_p.setFont(carattere(kPuntiDettaglio, true));
        int x = 0;
        for (const ColonnaReport& c : m_r.colonne) {
            m_p.drawText(m_s.rect(x + kPadding, y, c.larghezza - 2 * kPadding, kIntestazionePagina),
                         c.allineamento | Qt::AlignVCenter | Qt::TextWordWrap, c.intestazione);
            x += c.larghezza;
        }
        linea(0, y, m_r.larghezza, y);
        linea(0, y + kIntestazionePagina, m_r.larghezza, y + kIntestazionePagina);
        return y + kIntestazionePagina;
    }

    int dettaglio(const QStringList& riga, int y)
    {
        const QFont f = carattere(kPuntiDettaglio, false);
        int x = 0;
        for (int i = 0; i < m_r.colonne.size(); ++i) {
            const ColonnaReport& c = m_r.colonne.at(i);
            const QString t = i < riga.size() ? riga.at(i) : QString();
            if (c.intero)
                intero(t, f, m_s.rect(x + kPaddingMinimo, y, c.larghezza - 2 * kPaddingMinimo, kRigaDettaglio),
                       c.allineamento, m_s(c.larghezza - 2 * kPadding));
            else
                testo(t, f, m_s.rect(x + kPadding, y, c.larghezza - 2 * kPadding, kRigaDettaglio), c.allineamento);
            if (m_r.righeVerticali && i > 0)
                linea(x, y, x, y + kRigaDettaglio);
            x += c.larghezza;
        }
        if (m_r.righeVerticali) {
            linea(0, y, 0, y + kRigaDettaglio);
            linea(m_r.larghezza, y, m_r.larghezza, y + kRigaDettaglio);
        }
        return y + kRigaDettaglio;
    }

    void chiudiTabella(int y)
    {
        if (m_r.righeVerticali)
            linea(0, y, m_r.larghezza, y);
    }

    void piedePagina(int altezza, int pagina, int pagine)
    {
        if (!m_r.numeroPagine)
            return;
        m_p.setFont(carattere(kPuntiDettaglio, false));
        m_p.drawText(m_s.rect(0, altezza - kPiedePagina, m_r.larghezza, kPiedePagina), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Pag. %1 di %2").arg(pagina).arg(pagine));
    }

private:
    // A text cut to the width of `r`, ending with "…" when it was cut.
    void testo(const QString& t, const QFont& f, const QRectF& r, Qt::Alignment a)
    {
        m_p.setFont(f);
        const QFontMetricsF fm(f, m_p.device());
        const QString visto = larghezza(fm, t) <= r.width() ? t : fm.elidedText(t, Qt::ElideRight, r.width());
        m_p.drawText(r, a | Qt::AlignVCenter | Qt::TextSingleLine, visto);
    }

    // A text printed whole in `r`: at its font where it fits in `normale` (the width it would have
    // with the full padding) or in `r`, else at the font size that fits `r`.
    void intero(const QString& t, QFont f, const QRectF& r, Qt::Alignment a, double normale = -1)
    {
        QFontMetricsF fm(f, m_p.device());
        double w = larghezza(fm, t);
        QRectF dove = r;
        if (normale >= 0 && w <= normale) {
            // Placed as the other cells of its column, inside the full padding.
            const double resto = (r.width() - normale) / 2;
            dove = r.adjusted(resto, 0, -resto, 0);
        } else {
            for (int i = 0; i < 40 && w > r.width() && f.pointSizeF() > 0.5; ++i) {
                f.setPointSizeF(std::max(0.5, f.pointSizeF() * std::min(0.97, r.width() / w)));
                fm = QFontMetricsF(f, m_p.device());
                w = larghezza(fm, t);
            }
        }
        m_p.setFont(f);
        m_p.drawText(dove, a | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, t);
    }

    // The width the text takes, its glyphs' ink included.
    static double larghezza(const QFontMetricsF& fm, const QString& t)
    {
        return std::max(fm.horizontalAdvance(t), fm.boundingRect(t).width());
    }

    void linea(int x1, int y1, int x2, int y2) { m_p.drawLine(QPointF(m_s(x1), m_s(y1)), QPointF(m_s(x2), m_s(y2))); }

    const Report& m_r;
    QPainter& m_p;
    const Scala& m_s;
};

} // namespace

QPageLayout layout(const Report& r)
{
    const double mm = r.margine * 25.4 / 1440.0;
    return QPageLayout(QPageSize(QPageSize::A4), r.orientamento, QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter);
}

Impaginazione impagina(const Report& r, int altezza)
{
    Impaginazione out;
    const int intestazione = altezzaTitoli(r.intestazione);
    const int piede = altezzaTitoli(r.piede);
    const int spazioRighe = [&](bool prima) {
        const int h = altezza - kPiedePagina - kIntestazionePagina - (prima ? intestazione : 0);
        return std::max(1, h / kRigaDettaglio);
    }(true);
    const int perPagina = std::max(1, (altezza - kPiedePagina - kIntestazionePagina) / kRigaDettaglio);

    int primo = 0;
    int capienza = spazioRighe;
    const int n = int(r.righe.size());
    do {
        const int quante = std::min(capienza, n - primo);
        out.pagine.append({primo, quante});
        primo += quante;
        capienza = perPagina;
    } while (primo < n);

    // The report footer goes below the last row when it fits there.
    const int ultime = out.pagine.constLast().second;
    const int usato = (out.pagine.size() == 1 ? intestazione : 0) + kIntestazionePagina + ultime * kRigaDettaglio;
    if (piede > 0 && usato + piede > altezza - kPiedePagina) {
        out.pagine.append({n, 0});
        out.piedeSuPaginaNuova = true;
    }
    return out;
}

int disegna(const Report& r, QPainter& painter, QPagedPaintDevice& device)
{
    Scala s;
    s.perTwip = device.logicalDpiY() / 1440.0;
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Point);
    const int altezza = int(area.height() * 20);
    const Impaginazione imp = impagina(r, altezza);
    const int pagine = int(imp.pagine.size());

    painter.setPen(QPen(Qt::black, 0));
    Pittore pit(r, painter, s);
    for (int p = 0; p < pagine; ++p) {
        if (p > 0)
            device.newPage();
        int y = 0;
        if (p == 0)
            y = pit.titoli(r.intestazione, y);
        y = pit.intestazionePagina(y);
        const auto [primo, quante] = imp.pagine.at(p);
        for (int i = primo; i < primo + quante; ++i)
            y = pit.dettaglio(r.righe.at(i), y);
        if (quante > 0)
            pit.chiudiTabella(y);
        if (p == pagine - 1)
            pit.titoli(r.piede, y + kSpazioBande);
        pit.piedePagina(altezza, p + 1, pagine);
    }
    return pagine;
}

} // namespace ReportRenderer
