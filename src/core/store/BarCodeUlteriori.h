#pragma once
// An article's further barcodes (BarCodeUlteriori) as its editor lists and rewrites them.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QStringList>

namespace Articoli {

// The article's further barcodes as stored, at most `massimo` of them.
Letto<QStringList> barCodeUlteriori(qint64 articolo, qsizetype massimo);
// Replaces the article's further barcodes with `barCodes` (stored in that order, not yet sent,
// with `codPerTabProd`), all or nothing.
Esito sostituisciBarCodeUlteriori(qint64 articolo, const QString& codPerTabProd, const QStringList& barCodes);

} // namespace Articoli
