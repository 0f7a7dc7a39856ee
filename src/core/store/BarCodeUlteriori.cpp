#include "core/store/BarCodeUlteriori.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Articoli {

Letto<QStringList> barCodeUlteriori(qint64 articolo, qsizetype massimo)
{
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT BarCode FROM BarCodeUlteriori WHERE CodProd = ? ORDER BY rowid"), {articolo});
    if (!q.isActive())
        return Letto<QStringList>::fallito(q.lastError().text());
    QStringList out;
    while (out.size() < massimo && q.next())
        out << q.value(0).toString();
    return Letto<QStringList>::trovato(out);
}

Esito sostituisciBarCodeUlteriori(qint64 articolo, const QString& codPerTabProd, const QStringList& barCodes)
{
    Db::Transaction t;
    QString err;
    bool ok = t.ok() && Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori WHERE CodProd = ?"), {articolo}, &err);
    for (qsizetype i = 0; ok && i < barCodes.size(); ++i)
        ok = Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode, Inviato, CodPerTabProd) "
                                     "VALUES (?, ?, 0, ?)"),
                      {articolo, barCodes.at(i), codPerTabProd}, &err);
    ok = ok && t.commit();
    return ok ? Esito::riuscito() : Riga::dbFallito(err.isEmpty() ? t.errore() : err);
}

} // namespace Articoli
