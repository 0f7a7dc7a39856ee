#include "core/store/Esportazioni.h"

#include "core/Database.h"
#include "core/VbConvert.h"

#include <QSqlError>

namespace Articoli {

Esito perOgniVenditaPerDescrizione(const QDate& dal, const QDate& al,
                                   const std::function<bool(const VenditaEsportata&, int totale)>& visita)
{
    // The row count rides along, so the progress knows the whole from the first row.
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Magazzino.Descrizione, StoricoPLU.EAN, StoricoPLU.Qta, StoricoPLU.DataModif, "
                                 "COUNT(*) OVER () "
                                 "FROM Magazzino INNER JOIN StoricoPLU ON Magazzino.BarCode = StoricoPLU.EAN "
                                 "WHERE StoricoPLU.DataModif >= ? AND StoricoPLU.DataModif < ? "
                                 "ORDER BY Magazzino.Descrizione ASC, StoricoPLU.rowid"),
                  {Vb::isoDate(dal), Vb::isoDate(al.addDays(1))});
    if (!q.isActive())
        return Esito::fallito(VbErr::DatabaseError, q.lastError().text());
    while (q.next()) {
        const QVariant qta = q.value(2);
        const VenditaEsportata v{q.value(0).toString(), q.value(1).toString(),
                                 qta.isNull() ? std::nullopt : std::optional<double>(qta.toDouble()),
                                 q.value(3).toString()};
        if (!visita(v, q.value(4).toInt()))
            return Esito::riuscito();
    }
    if (q.lastError().isValid())
        return Esito::fallito(VbErr::DatabaseError, q.lastError().text());
    return Esito::riuscito();
}

} // namespace Articoli
