#pragma once
// What the sold-quantity report reads: the sales history (StoricoPLU) joined with the articles
// whose barcode is the movement's EAN.
#include "core/Read.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace Articoli {

struct MovimentoVenduto
{
    std::optional<double> qta; // none for a Null quantity
    QString descrizione;
    QString ean;
};

// Every movement from `dal` to `al` (whole days, both included) once for each article holding its
// EAN, in arrival order and then by the article's code.
Letto<QList<MovimentoVenduto>> movimentiVenduti(const QDate& dal, const QDate& al);

} // namespace Articoli
