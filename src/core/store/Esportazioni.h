#pragma once
// What the spreadsheet export of the quantities sold reads: the sales history (StoricoPLU) joined
// with the articles whose barcode is the movement's EAN, by description.
#include "core/ErrorLog.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace Articoli {

struct VenditaEsportata
{
    QString descrizione;
    QString ean;
    std::optional<double> qta; // none for a Null quantity
    QString dataModif;         // as stored
};

// Visits every movement from `dal` to `al` (whole days, both included) once for each article
// holding its EAN, by description and then in arrival order, with the number of such rows in all.
// `visita` returns false to stop. Fails with the query's error.
Esito perOgniVenditaPerDescrizione(const QDate& dal, const QDate& al,
                                   const std::function<bool(const VenditaEsportata&, int totale)>& visita);

} // namespace Articoli
