#include "core/store/OperazioniMagazzino.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"

#include <QSqlError>

namespace Articoli {

using Riga::esegui;

Esito impostaQuantitaTutti(double quantita)
{
    return esegui(QStringLiteral("UPDATE Magazzino SET \"Quantità\" = ?"), {quantita});
}

Letto<QList<CodiceDaEstendere>> codiciDaEstendere()
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT CodMateriale, BarCode FROM Magazzino "
                                           "WHERE length(BarCode) = 4 AND (Note IS NULL OR Note = '') "
                                           "ORDER BY CodMateriale"));
    if (!q.isActive())
        return Letto<QList<CodiceDaEstendere>>::fallito(q.lastError().text());
    QList<CodiceDaEstendere> out;
    while (q.next())
        out.append({q.value(0).toLongLong(), q.value(1).toString()});
    return Letto<QList<CodiceDaEstendere>>::trovato(out);
}

Esito estendiBarCode(qint64 cod, const QString& barCode, const QString& note)
{
    return esegui(QStringLiteral("UPDATE Magazzino SET BarCode = ?, Note = ? WHERE CodMateriale = ?"),
                  {barCode, note, cod});
}

Esito azzeraFrontalini()
{
    return esegui(QStringLiteral("UPDATE Magazzino SET TipoVariazione = ? WHERE Eliminato = 0"), {QStringLiteral("N")});
}

} // namespace Articoli
