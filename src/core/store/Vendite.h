#pragma once
// What the registers sold, from the sales history (StoricoPLU) with the archive's descriptions.
#include "core/Read.h"

#include <QDate>
#include <QList>
#include <QString>

namespace Articoli {

// One history row whose barcode some article holds; the description is that of the first such
// article by code.
struct VenditaPLU
{
    QString ean;
    double qta = 0; // Null reads as 0
    QString descrizione;
};
// The history rows from `dal` to `al` (both included) in the order they were stored.
Letto<QList<VenditaPLU>> venditePLU(const QDate& dal, const QDate& al);

} // namespace Articoli
