#include "core/Articoli.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace Articoli {

using namespace Riga;

namespace {

Letto<Articolo> primo(const QString& where, const QVariantList& values)
{
    QSqlQuery q = Db::query(sqlPrimo(where), values);
    if (!q.isActive())
        return Letto<Articolo>::fallito(q.lastError().text());
    if (!q.next())
        return q.lastError().isValid() ? Letto<Articolo>::fallito(q.lastError().text()) : Letto<Articolo>::assente();
    return Letto<Articolo>::trovato(leggi(q));
}

} // namespace

std::optional<qint64> nuovoCodice(QString* errore)
{
    const Letto<QVariant> v = Db::valore(sqlNuovoCodice());
    if (!v.trovatoValore() || v.valore->isNull()) {
        if (errore)
            *errore = v.errore.isEmpty() ? QStringLiteral("MAX(CodMateriale)") : v.errore;
        return std::nullopt;
    }
    return v.valore->toLongLong();
}

Letto<Articolo> perCodice(qint64 codice)
{
    return primo(QStringLiteral("CodMateriale = ?"), {codice});
}
Letto<Articolo> perBarCode(const QString& barCode)
{
    return primo(QStringLiteral("BarCode = ?"), {barCode});
}
Letto<Articolo> perCodiceFornitore(const QString& codice)
{
    return primo(QStringLiteral("CodProdottoFornitore = ?"), {codice});
}
Letto<Articolo> perCodiceCEDI(const QString& codice)
{
    return primo(QStringLiteral("CodArtCEDI = ?"), {codice});
}

Letto<qint64> codicePerBarCodeUlteriore(const QString& barCode)
{
    QSqlQuery q = Db::query(sqlCodicePerBarCodeUlteriore(), {barCode});
    if (!q.isActive())
        return Letto<qint64>::fallito(q.lastError().text());
    if (!q.next())
        return Letto<qint64>::assente();
    return Letto<qint64>::trovato(q.value(0).toLongLong());
}

Esito inserisci(Articolo& a)
{
    Db::Transaction t;
    if (!t.ok())
        return dbFallito(QStringLiteral("transaction"));
    qint64 codice = a.codMateriale;
    if (codice == 0) {
        QString err;
        const auto n = nuovoCodice(&err);
        if (!n)
            return dbFallito(err);
        codice = *n;
    }
    QString err;
    if (!Db::exec(sqlInserisci(), valori(a, codice), &err))
        return dbFallito(err);
    if (!t.commit())
        return dbFallito(t.errore());
    a.codMateriale = codice;
    return Esito::riuscito();
}

Esito aggiorna(const Articolo& a)
{
    QSqlQuery q = Db::query(sqlAggiorna(), valori(a) << a.codMateriale);
    if (!q.isActive())
        return dbFallito(q.lastError().text());
    if (q.numRowsAffected() != 1)
        return dbFallito(testoNonTrovato(a.codMateriale));
    return Esito::riuscito();
}

Esito elimina(qint64 codice)
{
    Db::Transaction t;
    QString err;
    const bool ok = t.ok() &&
                    Db::exec(QStringLiteral("DELETE FROM Magazzino WHERE CodMateriale = ?"), {codice}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori WHERE CodProd = ?"), {codice}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM Offerte WHERE Articolo = ?"), {codice}, &err) && t.commit();
    return ok ? Esito::riuscito() : dbFallito(err.isEmpty() ? t.errore() : err);
}

Esito svuotaArchivio()
{
    Db::Transaction t;
    QString err;
    const bool ok = t.ok() && Db::exec(QStringLiteral("DELETE FROM Magazzino"), {}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori"), {}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM Offerte"), {}, &err) && t.commit();
    return ok ? Esito::riuscito() : dbFallito(err.isEmpty() ? t.errore() : err);
}

Esito marcaModificato(qint64 codice, bool modificato, const QString& tipoVariazione)
{
    QString err;
    const bool ok =
        tipoVariazione.isNull()
            ? Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = ? WHERE CodMateriale = ?"),
                       {modificato ? 1 : 0, codice}, &err)
            : Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = ?, TipoVariazione = ? WHERE CodMateriale = ?"),
                       {modificato ? 1 : 0, tipoVariazione, codice}, &err);
    return ok ? Esito::riuscito() : dbFallito(err);
}

Letto<QStringList> fornitori()
{
    // In the order the database returns them, as the supplier boxes have always listed them.
    QSqlQuery q = Db::query(QStringLiteral("SELECT DISTINCT Fornitore FROM Magazzino WHERE Fornitore <> ''"));
    if (!q.isActive())
        return Letto<QStringList>::fallito(q.lastError().text());
    QStringList l;
    while (q.next())
        if (!q.value(0).isNull())
            l << q.value(0).toString();
    return Letto<QStringList>::trovato(l);
}

namespace {
Esito perOgniOrdinati(const std::function<bool(const Articolo&)>& visita, const QString& where,
                      const QVariantList& values, const QString& ordine)
{
    QSqlQuery q(Db::dbNegozio());
    q.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT ") + colonne() + QStringLiteral(" FROM Magazzino");
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + ordine;
    if (!q.prepare(sql))
        return dbFallito(q.lastError().text());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return dbFallito(q.lastError().text());
    while (q.next()) {
        if (!visita(leggi(q)))
            break;
    }
    if (q.lastError().isValid())
        return dbFallito(q.lastError().text());
    return Esito::riuscito();
}
} // namespace

Esito perOgni(const std::function<bool(const Articolo&)>& visita, const QString& where, const QVariantList& values)
{
    return perOgniOrdinati(visita, where, values, QStringLiteral("CodMateriale"));
}

namespace {
const QString kColonneReparti = QStringLiteral(
    "SELECT Cod, Descrizione, Iva, PrezzoPrefissato, Sconto, NoFiscale, PercorsoIcon, Icon FROM Reparti");

Reparto leggiReparto(const QSqlQuery& q)
{
    Reparto r;
    r.cod = q.value(0).toInt();
    r.descrizione = testo(q.value(1));
    r.iva = q.value(2).toDouble();
    r.prezzoPrefissato = q.value(3).toDouble();
    r.sconto = q.value(4).toInt();
    r.noFiscale = Db::isTrue(q.value(5));
    r.percorsoIcon = testo(q.value(6));
    r.icon = testo(q.value(7));
    return r;
}
} // namespace

Letto<QList<Reparto>> reparti()
{
    QSqlQuery q = Db::query(kColonneReparti + QStringLiteral(" ORDER BY Cod"));
    if (!q.isActive())
        return Letto<QList<Reparto>>::fallito(q.lastError().text());
    QList<Reparto> l;
    while (q.next())
        l << leggiReparto(q);
    return Letto<QList<Reparto>>::trovato(l);
}

Letto<Reparto> repartoPerCodice(int cod)
{
    QSqlQuery q = Db::query(kColonneReparti + QStringLiteral(" WHERE Cod = ?"), {cod});
    if (!q.isActive())
        return Letto<Reparto>::fallito(q.lastError().text());
    if (!q.next())
        return Letto<Reparto>::assente();
    return Letto<Reparto>::trovato(leggiReparto(q));
}

Esito aggiornaReparto(const Reparto& r)
{
    QString err;
    return Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = ?, Iva = ?, PrezzoPrefissato = ?, Sconto = ?, "
                                   "NoFiscale = ?, PercorsoIcon = ?, Icon = ? WHERE Cod = ?"),
                    {valore(r.descrizione), r.iva, r.prezzoPrefissato, r.sconto, r.noFiscale ? 1 : 0,
                     valore(r.percorsoIcon), valore(r.icon), r.cod},
                    &err)
               ? Esito::riuscito()
               : dbFallito(err);
}

QString codiceInCassa(const QString& barCode)
{
    if (barCode.startsWith(QLatin1Char('2')) && barCode.size() != 5)
        return barCode.mid(2, 5);
    return barCode;
}

Letto<Articolo> perCodiceInCassa(const QString& codice)
{
    if (codice.isEmpty())
        return Letto<Articolo>::assente();
    return primo(QStringLiteral("substr(BarCode, 1, 1) = '2' AND length(BarCode) <> 5 AND substr(BarCode, 3, 5) = ?"),
                 {codice});
}

std::optional<qint64> codiceDaTesto(const QString& testo)
{
    bool ok = false;
    const qint64 n = testo.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

Esito segnaFrontalino(qint64 codice, bool alterna)
{
    static const QString kAlterna =
        QStringLiteral("UPDATE Magazzino SET TipoVariazione = CASE WHEN TipoVariazione IS NULL OR TipoVariazione = '' "
                       "OR TipoVariazione = 'N' THEN 'F' WHEN TipoVariazione = 'F' THEN 'N' ELSE TipoVariazione END "
                       "WHERE CodMateriale = ?");
    static const QString kAzzera = QStringLiteral("UPDATE Magazzino SET TipoVariazione = 'N' WHERE CodMateriale = ?");
    QString err;
    return Db::exec(alterna ? kAlterna : kAzzera, {codice}, &err) ? Esito::riuscito() : dbFallito(err);
}

Esito ripristina(qint64 codice)
{
    QString err;
    return Db::exec(QStringLiteral("UPDATE Magazzino SET Eliminato = 0, Modificato = 1 WHERE CodMateriale = ?"),
                    {codice}, &err)
               ? Esito::riuscito()
               : dbFallito(err);
}

Esito perOgniPerDescrizione(const std::function<bool(const Articolo&)>& visita, const QString& where,
                            const QVariantList& values)
{
    return perOgniOrdinati(visita, where, values, QStringLiteral("Descrizione, CodMateriale"));
}

Letto<bool> ciSonoModificati()
{
    const Letto<QVariant> v = Db::valore(QStringLiteral("SELECT 1 FROM Magazzino WHERE Modificato <> 0 LIMIT 1"));
    if (!v.ok)
        return Letto<bool>::fallito(v.errore);
    return Letto<bool>::trovato(v.valore.has_value());
}

Letto<qint64> contaFrontaliniOModificati()
{
    const Letto<QVariant> v =
        Db::valore(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE TipoVariazione = 'F' OR Modificato <> 0"));
    if (!v.ok)
        return Letto<qint64>::fallito(v.errore);
    return Letto<qint64>::trovato(v.valore.value_or(QVariant()).toLongLong());
}

Letto<double> ivaRepartoPerDescrizione(const QString& descrizione)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT Iva FROM Reparti WHERE Descrizione = ?"), {descrizione});
    if (!q.isActive())
        return Letto<double>::fallito(q.lastError().text());
    if (!q.next() || q.value(0).isNull())
        return Letto<double>::assente();
    return Letto<double>::trovato(q.value(0).toDouble());
}

} // namespace Articoli
