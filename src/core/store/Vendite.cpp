#include "core/store/Vendite.h"

#include "core/Database.h"
#include "core/VbConvert.h"

#include <QSqlError>

namespace Articoli {

Letto<QList<VenditaPLU>> venditePLU(const QDate& dal, const QDate& al)
{
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT s.EAN, s.Qta, (SELECT m.Descrizione FROM Magazzino m WHERE m.BarCode = s.EAN "
                                 "ORDER BY m.CodMateriale LIMIT 1) "
                                 "FROM StoricoPLU s WHERE s.DataModif >= ? AND s.DataModif <= ? "
                                 "AND EXISTS (SELECT 1 FROM Magazzino m WHERE m.BarCode = s.EAN) ORDER BY s.rowid"),
                  {Vb::isoDate(dal), Vb::isoDate(al)});
    if (!q.isActive())
        return Letto<QList<VenditaPLU>>::fallito(q.lastError().text());
    QList<VenditaPLU> out;
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).isNull() ? 0.0 : q.value(1).toDouble(), q.value(2).toString()});
    return Letto<QList<VenditaPLU>>::trovato(out);
}

} // namespace Articoli
