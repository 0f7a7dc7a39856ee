#include "archive/SoldQuantities.h"

#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/VbConvert.h"
#include "core/Interaction.h"

#include <QHash>
#include <QSqlError>

namespace SoldQuantities {

Venduto VisualizzaVendutoPLU(const QDate& dal, const QDate& al)
{
    Venduto v;
    // One history row counts once even when several articles share its barcode: the article
    // only lends its description (the first by code).
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT s.EAN, s.Qta, (SELECT m.Descrizione FROM Magazzino m WHERE m.BarCode = s.EAN "
                                 "ORDER BY m.CodMateriale LIMIT 1) "
                                 "FROM StoricoPLU s WHERE s.DataModif >= ? AND s.DataModif <= ? "
                                 "AND EXISTS (SELECT 1 FROM Magazzino m WHERE m.BarCode = s.EAN) ORDER BY s.rowid"),
                  {Vb::isoDate(dal), Vb::isoDate(al)});
    if (!q.isActive()) {
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("VisualizzaVendutoPLU"), VbErr::DatabaseError,
                     q.lastError().text());
        v.ok = false;
        return v;
    }
    QHash<QString, qsizetype> posizione;
    while (q.next()) {
        const QString ean = q.value(0).toString();
        const double qta = q.value(1).isNull() ? 0.0 : q.value(1).toDouble();
        const auto it = posizione.constFind(ean);
        if (it != posizione.constEnd()) {
            v.righe[*it].qta += qta;
            continue;
        }
        posizione.insert(ean, v.righe.size());
        RigaPLU r;
        r.ean = ean;
        r.descrizione = q.value(2).toString();
        r.qta = qta;
        v.righe.append(r);
    }
    for (RigaPLU& r : v.righe)
        r.qtaTesto = Vb::cstr(r.qta == 0 ? 0.0 : r.qta);
    v.totale = QString::number(v.righe.size());
    return v;
}

bool cmdTrova_Click(const QDate& dal, const QDate& al, Interaction& interazione)
{
    if (al < dal) {
        interazione.ask(QStringLiteral("ATTENZIONE!!! - Controllare il periodo selezionato (la Data Al non può essere "
                                       "precedente alla Data Dal) e riprovare"),
                        Interaction::Ok, Interaction::Icon::Warning, Interaction::NoButton, QStringLiteral("Tavrino"));
        return false;
    }
    return true;
}

} // namespace SoldQuantities
