#pragma once
// A small banded report, as the shop's three data reports need it: a report header on the first
// page, a page header on every page, one line per detail row cut into columns, a page footer with
// "Pag." and the page number and count, and a report footer after the last row. Widths are in
// twips; the renderer pages the rows itself so it knows the page count before drawing. No cell
// is clipped: see ColonnaReport::intero.
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <Qt>

class QPagedPaintDevice;
class QPainter;

struct ColonnaReport
{
    QString intestazione;
    int larghezza = 0; // twips
    Qt::Alignment allineamento = Qt::AlignLeft;
    // Numbers, codes and dates are never printed in part: one that does not fit takes the cell's
    // padding, then a smaller font. Any other text that does not fit is cut and ends with "…".
    bool intero = false;
};

// One line of a header or footer: a caption and, beside it, a value (may be empty).
struct RigaTitolo
{
    QString testo;
    QString valore;
    int punti = 10;
    bool grassetto = false;
};

struct Report
{
    QString nome;
    int larghezza = 0; // twips, the report's own width
    int margine = 1440;
    QPageLayout::Orientation orientamento = QPageLayout::Portrait;
    QList<RigaTitolo> intestazione; // report header
    QList<ColonnaReport> colonne;   // page header captions and detail columns
    bool righeVerticali = false;    // vertical lines between the detail fields
    bool numeroPagine = true;       // "Pag. n di m" in the page footer
    QList<RigaTitolo> piede;        // report footer
    QList<QStringList> righe;       // detail rows, one text per column
};

namespace ReportRenderer {

// The page layout the report asks for: A4, its orientation and margins.
QPageLayout layout(const Report& r);

// How the rows fall on pages, for a page of `altezza` twips (printable height).
struct Impaginazione
{
    // For each page, the first detail row and the number of rows on it.
    QList<std::pair<int, int>> pagine;
    bool piedeSuPaginaNuova = false; // the report footer did not fit below the last row
};
Impaginazione impagina(const Report& r, int altezza);

// Draws every page on `painter`, which is active on `device` (whose page layout should be
// layout(r)); asks the device for each new page just before drawing on it. Returns the page count.
int disegna(const Report& r, QPainter& painter, QPagedPaintDevice& device);

// Sizes of the bands, twips.
constexpr int kRigaDettaglio = 270;
constexpr int kIntestazionePagina = 420;
constexpr int kPiedePagina = 360;

} // namespace ReportRenderer
