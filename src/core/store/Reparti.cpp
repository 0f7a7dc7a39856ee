#include "core/store/Reparti.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"

#include <QSqlError>

namespace Articoli {

namespace {

// The first column of the first row as `T`.
template <class T, class F> Letto<T> primo(const QString& sql, const QVariantList& valori, F converti)
{
    QSqlQuery q = Db::query(sql, valori);
    if (!q.isActive())
        return Letto<T>::fallito(q.lastError().text());
    if (!q.next())
        return Letto<T>::assente();
    return Letto<T>::trovato(converti(q.value(0)));
}

int intero(const QVariant& v)
{
    return v.toInt();
}

} // namespace

Letto<QString> descrizioneReparto(int cod)
{
    return primo<QString>(QStringLiteral("SELECT Descrizione FROM Reparti WHERE Cod = ?"), {cod},
                          [](const QVariant& v) { return v.toString(); });
}

Letto<int> codiceRepartoPerDescrizione(const QString& descrizione)
{
    // Cod is the table's rowid: the first by code is the first stored.
    return primo<int>(QStringLiteral("SELECT Cod FROM Reparti WHERE Descrizione = ? ORDER BY rowid"), {descrizione},
                      intero);
}

Letto<int> codiceRepartoPerIva(int iva)
{
    return primo<int>(QStringLiteral("SELECT Cod FROM Reparti WHERE Iva = ?"), {iva}, intero);
}

Esito togliIconaReparto(int cod)
{
    return Riga::esegui(QStringLiteral("UPDATE Reparti SET Icon = NULL WHERE Cod = ?"), {cod});
}

} // namespace Articoli
