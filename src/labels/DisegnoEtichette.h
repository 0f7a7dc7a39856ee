#pragma once
// The one painter of label sheets: the designer's sample, the preview and the printer all draw
// through it, so what is previewed is what prints. Geometry in twips from the paper edge; fonts
// in points, resolved on the paint device; a text's cell top lies at its element's Top.
#include "core/ErrorLog.h"
#include "core/Progress.h"
#include "labels/EasyPrint.h"

#include <QColor>
#include <QList>

class QPainter;
class QPagedPaintDevice;

namespace DisegnoEtichette {

// Draws page `pagina` (from 1) onto `p`, whose device has `pxPerTwip` pixels per twip.
// `numero` 0 draws every label of the page; k draws only the k-th cell of the sheet.
void disegnaPagina(QPainter& p, double pxPerTwip, const EasyPrint& foglio, int pagina, int numero = 0);

// Draws one element's text, or its barcode when the text is EAN barcode-font text.
void disegnaTesto(QPainter& p, double pxPerTwip, const QPointF& twips, const FontEtichetta& font, const QString& testo);

// The size in twips, from the element's place, of the barcode disegnaTesto draws for `testo`;
// empty when the text is not EAN barcode-font text.
QSizeF dimensioneBarcode(const FontEtichetta& font, const QString& testo);

// The pages a print of pages `da` to `a` (or of label `numero`, when not 0) really covers:
// a range past the last page is cut there; empty when it holds no label.
QList<int> pagineDaStampare(const EasyPrint& foglio, int da, int a, int numero);

// Prints `pagine` on `dev` from the paper edge: a new page only before the next page is drawn,
// and the painter always ends. A failure is logged under "StampaFront"/"PrintDoc" and returned.
Esito stampa(QPagedPaintDevice& dev, const EasyPrint& foglio, const QList<int>& pagine, int numero,
             ProgressSink& progresso);

// A VB colour as a painter colour (system colours print as black).
QColor colore(VbColor c);

} // namespace DisegnoEtichette
