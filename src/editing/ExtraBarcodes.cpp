#include "editing/ExtraBarcodes.h"

#include "core/Articoli.h"
#include "core/Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ExtraBarcodes {

Letto<QStringList> carica(const QString& codice)
{
    QStringList out;
    const std::optional<qint64> codiceArticolo = Articoli::codiceDaTesto(codice);
    if (!codiceArticolo)
        return Letto<QStringList>::fallito(codice);
    const qint64 n = *codiceArticolo;
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT BarCode FROM BarCodeUlteriori WHERE CodProd = ? ORDER BY rowid"), {n});
    if (!q.isActive()) {
        ScriviErrore(QStringLiteral("AggiungiMateriale"), QStringLiteral("CaricaBarCodeAlternativi"),
                     VbErr::DatabaseError, q.lastError().text());
        return Letto<QStringList>::fallito(q.lastError().text());
    }
    while (q.next() && out.size() < kRighe)
        out << q.value(0).toString();
    return Letto<QStringList>::trovato(out);
}

Esito registra(const QString& codice, const QString& codPerTabProd, const QStringList& celle)
{
    if (codice.isEmpty())
        return Esito::riuscito();
    const std::optional<qint64> codiceArticolo = Articoli::codiceDaTesto(codice);
    if (!codiceArticolo)
        return Esito::fallito(VbErr::TypeMismatch, codice);
    const qint64 n = *codiceArticolo;
    QString err;
    Db::Transaction t;
    bool ok = t.ok() && Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori WHERE CodProd = ?"), {n}, &err);
    for (const QString& c : celle) {
        if (!ok)
            break;
        if (c.isEmpty())
            continue;
        ok = Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode, Inviato, CodPerTabProd) "
                                     "VALUES (?, ?, 0, ?)"),
                      {n, c, codPerTabProd}, &err);
    }
    if (!ok || !t.commit()) {
        ScriviErrore(QStringLiteral("AggiungiMateriale"), QStringLiteral("RegistraBarCodeAlternativi"),
                     VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

int aggiungi(QStringList& celle, const QString& code, const QString& barCodePrincipale)
{
    if (code == barCodePrincipale || code.isEmpty() || celle.contains(code))
        return -1;
    for (int i = 0; i < celle.size(); ++i) {
        if (celle.at(i).isEmpty()) {
            celle[i] = code;
            return i;
        }
    }
    if (celle.size() < kRighe) {
        celle << code;
        return int(celle.size()) - 1;
    }
    return -1;
}

QString articoloDaBarcode(const QString& barCode)
{
    const Letto<qint64> c = Articoli::codicePerBarCodeUlteriore(barCode);
    return c.trovatoValore() ? QString::number(*c.valore) : QString();
}

} // namespace ExtraBarcodes
