#pragma once
// Further barcodes of an article (stored in BarCodeUlteriori): load, the grid's add rule, and the
// rewrite of an article's rows, all or nothing.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QString>
#include <QStringList>

namespace BarCodeUlteriori {

// Barcode rows of the editor's grid (the grid's header row aside).
constexpr int kRighe = 1499;

// The article's rows in stored order; a failed query is reported, never an empty list.
Letto<QStringList> carica(const QString& codice);

// Replaces the article's rows with the non-empty cells, in order; nothing changes on failure.
Esito registra(const QString& codice, const QString& codPerTabProd, const QStringList& celle);

// Puts `code` into the first empty cell unless it is the main barcode, already listed or empty.
// Returns the row used, or -1 when nothing was added (also when the grid is full).
int aggiungi(QStringList& celle, const QString& code, const QString& barCodePrincipale);

} // namespace BarCodeUlteriori
