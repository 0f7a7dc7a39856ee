#include "core/store/Report.h"

#include "core/Database.h"
#include "core/VbConvert.h"

#include <QSqlError>

namespace Articoli {

Letto<QList<MovimentoVenduto>> movimentiVenduti(const QDate& dal, const QDate& al)
{
    using L = Letto<QList<MovimentoVenduto>>;
    // Whole days: from the first day's start up to (not including) the day after the last,
    // so a stored time of day on the last day still counts.
    QSqlQuery q = Db::query(QStringLiteral("SELECT StoricoPLU.Qta, Magazzino.Descrizione, StoricoPLU.EAN "
                                           "FROM Magazzino INNER JOIN StoricoPLU ON Magazzino.BarCode = StoricoPLU.EAN "
                                           "WHERE StoricoPLU.DataModif >= ? AND StoricoPLU.DataModif < ? "
                                           "ORDER BY StoricoPLU.rowid, Magazzino.CodMateriale"),
                            {Vb::isoDate(dal), Vb::isoDate(al.addDays(1))});
    if (!q.isActive())
        return L::fallito(q.lastError().text());
    QList<MovimentoVenduto> out;
    while (q.next()) {
        const QVariant qta = q.value(0);
        out.append({qta.isNull() ? std::nullopt : std::optional<double>(qta.toDouble()), q.value(1).toString(),
                    q.value(2).toString()});
    }
    if (q.lastError().isValid())
        return L::fallito(q.lastError().text());
    return L::trovato(out);
}

} // namespace Articoli
