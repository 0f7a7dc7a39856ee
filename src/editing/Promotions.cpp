#include "editing/Promotions.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/VbConvert.h"
#include "core/config/Generali.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Promotions {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

std::optional<qint64> numeroCodice(const QString& codice)
{
    return Articoli::codiceDaTesto(codice);
}

// The article's description for the list, "NON TROVATO" when there is none.
QString descrizione(const QString& codice)
{
    const std::optional<qint64> n = numeroCodice(codice);
    const Letto<Articolo> a = n ? Articoli::perCodice(*n) : Letto<Articolo>::assente();
    if (!a.trovatoValore() || a.valore->descrizione.isNull())
        return QStringLiteral("NON TROVATO");
    return a.valore->descrizione;
}

bool marcaModificato(qint64 n, QString* err)
{
    const Esito e = Articoli::marcaModificato(n);
    if (!e && err)
        *err = e.descrizione;
    return bool(e);
}

} // namespace

Letto<Offerta> caricaOfferta(const QString& codice)
{
    const auto n = numeroCodice(codice);
    if (!n)
        return Letto<Offerta>::assente();
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, PrzScnt FROM Offerte "
                                 "WHERE Articolo = ? ORDER BY DataDAL, rowid LIMIT 1"),
                  {*n});
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("CaricaOffertaArticolo"), VbErr::DatabaseError, q.lastError().text());
        return Letto<Offerta>::fallito(q.lastError().text());
    }
    if (!q.next())
        return Letto<Offerta>::assente();
    Offerta o;
    o.articolo = q.value(0).toString();
    o.dal = Vb::fromIso(q.value(1).toString());
    o.al = Vb::fromIso(q.value(2).toString());
    o.scontoVal = q.value(3).toDouble();
    o.scontoPer = q.value(4).toDouble();
    o.przScnt = q.value(5).toDouble();
    return Letto<Offerta>::trovato(o);
}

Esito salva(const Offerta& o)
{
    const auto n = numeroCodice(o.articolo);
    if (!n || !o.dal.isValid() || !o.al.isValid())
        return Esito::fallito(VbErr::TypeMismatch, o.articolo);
    QString err;
    Db::Transaction t;
    const bool ok =
        t.ok() &&
        Db::exec(QStringLiteral("DELETE FROM Offerte WHERE DataDAL = ? AND DataAL = ? AND Articolo = ?"),
                 {Vb::isoDate(o.dal), Vb::isoDate(o.al), *n}, &err) &&
        Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, Pezzi, PrzScnt) "
                                "VALUES (?, ?, ?, ?, ?, '1', ?)"),
                 {*n, Vb::isoDate(o.dal), Vb::isoDate(o.al), o.scontoVal, o.scontoPer, o.przScnt}, &err) &&
        marcaModificato(*n, &err) && t.commit();
    if (!ok) {
        ScriviErrore(kModulo, QStringLiteral("SalvaPromozione"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

Esito eliminaArticoli(const QStringList& codici)
{
    QString err;
    Db::Transaction t;
    bool ok = t.ok();
    for (const QString& c : codici) {
        const auto n = numeroCodice(c);
        if (!ok)
            break;
        if (!n) {
            ok = false;
            err = c;
            break;
        }
        ok =
            Db::exec(QStringLiteral("DELETE FROM Offerte WHERE Articolo = ?"), {*n}, &err) && marcaModificato(*n, &err);
    }
    if (!ok || !t.commit()) {
        ScriviErrore(kModulo, QStringLiteral("CmdEliminaOfferta_Click"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

QList<QStringList> elenco(const QDate& dal)
{
    QList<QStringList> rows;
    if (!dal.isValid()) {
        ScriviErrore(kModulo, QStringLiteral("VediTutteLePromozioni"), VbErr::TypeMismatch, QStringLiteral("MaskDal"));
        return rows;
    }
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, PrzScnt FROM Offerte "
                                 "WHERE DataDAL >= ? ORDER BY DataDAL, rowid"),
                  {Vb::isoDate(dal)});
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("VediTutteLePromozioni"), VbErr::DatabaseError, q.lastError().text());
        return rows;
    }
    while (q.next()) {
        const QString art = q.value(0).toString();
        rows << QStringList{QString::number(rows.size() + 1),
                            art,
                            descrizione(art),
                            Vb::formatDate(Vb::fromIso(q.value(1).toString())),
                            Vb::formatDate(Vb::fromIso(q.value(2).toString())),
                            Vb::money(q.value(3).toDouble()),
                            Vb::cstr(q.value(4).toDouble()),
                            Vb::money(q.value(5).toDouble())};
    }
    return rows;
}

std::optional<PrezzoScontato> prezzoScontato(double prezzo, const QString& sconto, bool percento)
{
    if (sconto.isEmpty())
        return std::nullopt;
    const auto s = Vb::cdbl(sconto);
    if (!s)
        return std::nullopt;
    const double p = percento ? prezzo - (*s * prezzo) / 100.0 : prezzo - *s;
    return PrezzoScontato{Vb::money(p), Vb::roundHalfAway(p, 2) < 0};
}

std::optional<QString> scontoDaPrezzo(double prezzo, const QString& prezzoPromo)
{
    const auto p = Vb::cdbl(prezzoPromo);
    if (!p)
        return std::nullopt;
    return Vb::money(prezzo - *p);
}

int codiceAvviso(const QDate& oggi)
{
    const QString d = Vb::isoDate(oggi);
    const bool inizio = Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Offerte WHERE DataDAL = ?"), {d}).toInt() > 0;
    const bool fine = Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Offerte WHERE DataAL = ?"), {d}).toInt() > 0;
    return (inizio ? 1 : 0) + (fine ? 2 : 0);
}

bool avvisoAttivo()
{
    return Config::Promozioni::avvisoAttivo();
}

QString testoAvviso(int codice, int* puntiFont)
{
    int punti = 20;
    QString t;
    switch (codice) {
    case 1:
        t = QStringLiteral("INIZIANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    case 2:
        t = QStringLiteral("TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    case 3:
        punti = 18;
        t = QStringLiteral("INIZIANO/TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    default:
        break;
    }
    if (puntiFont)
        *puntiFont = t.isEmpty() ? 0 : punti;
    return t;
}

} // namespace Promotions
