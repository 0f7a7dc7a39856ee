#include "core/store/Offerte.h"

#include "core/Articoli.h"
#include "core/ArticoliRiga.h"
#include "core/Database.h"
#include "core/VbConvert.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Articoli {

using Riga::dbFallito;

namespace {

const QString kColonne =
    QStringLiteral("SELECT Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, PrzScnt FROM Offerte ");

Offerta leggiOfferta(const QSqlQuery& q)
{
    Offerta o;
    o.articolo = q.value(0).toLongLong();
    o.dal = Vb::fromIso(q.value(1).toString());
    o.al = Vb::fromIso(q.value(2).toString());
    o.scontoVal = q.value(3).toDouble();
    o.scontoPer = q.value(4).toDouble();
    o.przScnt = q.value(5).toDouble();
    return o;
}

bool marca(qint64 articolo, QString* err)
{
    const Esito e = marcaModificato(articolo);
    if (!e)
        *err = e.descrizione;
    return bool(e);
}

} // namespace

Letto<Offerta> offertaArticolo(qint64 articolo)
{
    QSqlQuery q =
        Db::query(kColonne + QStringLiteral("WHERE Articolo = ? ORDER BY DataDAL, rowid LIMIT 1"), {articolo});
    if (!q.isActive())
        return Letto<Offerta>::fallito(q.lastError().text());
    if (!q.next())
        return Letto<Offerta>::assente();
    return Letto<Offerta>::trovato(leggiOfferta(q));
}

Letto<QList<Offerta>> offerteDal(const QDate& dal)
{
    QSqlQuery q =
        Db::query(kColonne + QStringLiteral("WHERE DataDAL >= ? ORDER BY DataDAL, rowid"), {Vb::isoDate(dal)});
    if (!q.isActive())
        return Letto<QList<Offerta>>::fallito(q.lastError().text());
    QList<Offerta> out;
    while (q.next())
        out << leggiOfferta(q);
    if (q.lastError().isValid())
        return Letto<QList<Offerta>>::fallito(q.lastError().text());
    return Letto<QList<Offerta>>::trovato(out);
}

Esito sostituisciOfferta(const Offerta& o)
{
    Db::Transaction t;
    QString err;
    const bool ok =
        t.ok() &&
        Db::exec(QStringLiteral("DELETE FROM Offerte WHERE DataDAL = ? AND DataAL = ? AND Articolo = ?"),
                 {Vb::isoDate(o.dal), Vb::isoDate(o.al), o.articolo}, &err) &&
        Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, Pezzi, PrzScnt) "
                                "VALUES (?, ?, ?, ?, ?, '1', ?)"),
                 {o.articolo, Vb::isoDate(o.dal), Vb::isoDate(o.al), o.scontoVal, o.scontoPer, o.przScnt}, &err) &&
        marca(o.articolo, &err) && t.commit();
    return ok ? Esito::riuscito() : dbFallito(err.isEmpty() ? t.errore() : err);
}

Esito eliminaOfferte(const QList<Offerta>& offerte)
{
    Db::Transaction t;
    QString err;
    bool ok = t.ok();
    for (qsizetype i = 0; ok && i < offerte.size(); ++i) {
        const Offerta& o = offerte.at(i);
        // The dates as the list read them: a stored time of day does not keep the row.
        ok = Db::exec(QStringLiteral("DELETE FROM Offerte WHERE substr(DataDAL, 1, 10) = ? AND "
                                     "substr(DataAL, 1, 10) = ? AND Articolo = ?"),
                      {Vb::isoDate(o.dal), Vb::isoDate(o.al), o.articolo}, &err) &&
             marca(o.articolo, &err);
    }
    ok = ok && t.commit();
    return ok ? Esito::riuscito() : dbFallito(err.isEmpty() ? t.errore() : err);
}

Letto<TestiOfferta> testiOfferta(const Offerta& o)
{
    const Letto<Articolo> a = perCodice(o.articolo);
    if (!a.ok)
        return Letto<TestiOfferta>::fallito(a.errore);
    const bool trovato = a.valore && !a.valore->descrizione.isNull();
    return Letto<TestiOfferta>::trovato({QString::number(o.articolo),
                                         trovato ? a.valore->descrizione : QStringLiteral("NON TROVATO"),
                                         Vb::formatDate(o.dal), Vb::formatDate(o.al), Vb::money(o.scontoVal),
                                         Vb::cstr(o.scontoPer), Vb::money(o.przScnt)});
}

Letto<OfferteDelGiorno> offerteDelGiorno(const QDate& giorno)
{
    const QString d = Vb::isoDate(giorno);
    QSqlQuery q = Db::query(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Offerte WHERE DataDAL = ?), "
                                           "EXISTS (SELECT 1 FROM Offerte WHERE DataAL = ?)"),
                            {d, d});
    if (!q.isActive() || !q.next())
        return Letto<OfferteDelGiorno>::fallito(q.lastError().text());
    return Letto<OfferteDelGiorno>::trovato({q.value(0).toInt() != 0, q.value(1).toInt() != 0});
}

} // namespace Articoli
