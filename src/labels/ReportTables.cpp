#include "labels/ReportTables.h"

#include "core/Database.h"
#include "core/VbConvert.h"
#include "core/store/Report.h"
#include "core/store/RigaElenco.h"

#include <QSqlError>
#include <QSqlQuery>
#include <functional>

namespace ReportTables {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

Esito fallito(const QString& procedura, VbErr e, const QString& dettaglio)
{
    const Esito es = Esito::fallito(e, dettaglio);
    ScriviErrore(kModulo, procedura, es);
    return es;
}

Letto<Righe> leggi(const QString& sql, const QVariantList& valori, int colonne)
{
    QSqlQuery q = Db::query(sql, valori);
    if (!q.isActive())
        return Letto<Righe>::fallito(q.lastError().text());
    Righe out;
    while (q.next()) {
        QStringList r;
        r.reserve(colonne);
        for (int c = 0; c < colonne; ++c)
            r << q.value(c).toString();
        out << r;
    }
    if (q.lastError().isValid())
        return Letto<Righe>::fallito(q.lastError().text());
    return Letto<Righe>::trovato(out);
}

} // namespace

namespace {

// The values of one row to write; an empty list skips the row, a failure stops the fill.
template <class T> using ValoriRiga = std::function<Esito(const T& riga, QVariantList& valori)>;

// Empties `tabella` and writes `righe` into it through `insert`, all in one transaction.
template <class T>
Esito riempi(const QString& proc, const QString& tabella, const QString& insert, const QList<T>& righe,
             const ValoriRiga<T>& valoriRiga)
{
    Db::Transaction t;
    if (!t.ok())
        return fallito(proc, VbErr::DatabaseError, t.errore());
    QString errore;
    if (!Db::exec(QStringLiteral("DELETE FROM ") + tabella, {}, &errore))
        return fallito(proc, VbErr::DatabaseError, errore);
    QSqlQuery ins(Db::dbNegozio());
    if (!ins.prepare(insert))
        return fallito(proc, VbErr::DatabaseError, ins.lastError().text());
    for (const T& r : righe) {
        QVariantList v;
        if (const Esito e = valoriRiga(r, v); !e) {
            ScriviErrore(kModulo, proc, e);
            return e;
        }
        if (v.isEmpty())
            continue;
        for (int i = 0; i < v.size(); ++i)
            ins.bindValue(i, v.at(i));
        if (!ins.exec())
            return fallito(proc, VbErr::DatabaseError, ins.lastError().text());
    }
    ins.finish();
    if (!t.commit())
        return fallito(proc, VbErr::DatabaseError, t.errore());
    return Esito::riuscito();
}

} // namespace

Esito ValorizzaTabReportMagazzino(const QList<Articoli::ArticoloElencato>& articoli, bool sottoMinimo)
{
    const QString insert = sottoMinimo
                               ? QStringLiteral("INSERT INTO rptMagazzino (CodProdotto, Descrizione, Categoria, "
                                                "\"Quantità\", Giacenze, UnitaMisura, Costo, Costo2) "
                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                               : QStringLiteral("INSERT INTO rptMagazzino (CodProdotto, Descrizione, Categoria, "
                                                "\"Quantità\", Colore, UnitaMisura, Costo, Costo2) "
                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    Articoli::FormatoElenco formato;
    return riempi<Articoli::ArticoloElencato>(
        QStringLiteral("ValorizzaTabReportMagazzino"), QStringLiteral("rptMagazzino"), insert, articoli,
        [sottoMinimo, &formato](const Articoli::ArticoloElencato& a, QVariantList& v) {
            const Articoli::TestiArticolo t = formato.testi(a);
            const QString categoria = t.reparto.isEmpty() ? QStringLiteral("***") : t.reparto;
            if (!sottoMinimo) {
                v = {t.codiceFornitore, t.descrizione, categoria,        t.quantita,
                     t.prezzoVendita,   t.barCode,     t.prezzoAcquisto, t.fornitore};
                return Esito::riuscito();
            }
            // Compared as the list shows them, with two decimals; no number stops the fill.
            const auto minimo = Articoli::numeroMostrato(a.minimo);
            const auto qta = Articoli::numeroMostrato(a.quantita);
            if (!minimo || !qta)
                return Esito::fallito(VbErr::TypeMismatch, t.codice);
            if (*minimo >= *qta)
                v = {t.codice, t.descrizione, categoria,       t.quantita,
                     t.minimo, t.unitaMisura, t.prezzoVendita, t.fornitore};
            return Esito::riuscito();
        });
}

Esito ValorizzaTabellaDiStampa(const QList<Articoli::Offerta>& offerte)
{
    return riempi<Articoli::Offerta>(
        QStringLiteral("ValorizzaTabellaDiStampa"), QStringLiteral("rptProdotti"),
        QStringLiteral("INSERT INTO rptProdotti (Descrizione, Reparto, Costo, CodProdotto, Prezzo2, "
                       "CostoAcquisto) VALUES (?, ?, ?, ?, ?, ?)"),
        offerte, [](const Articoli::Offerta& o, QVariantList& v) {
            // The discounted price as the list shows it, read back and written with two decimals;
            // one that is not a number stops the fill.
            const Letto<Articoli::TestiOfferta> letti = Articoli::testiOfferta(o);
            if (!letti.ok)
                return Esito::fallito(VbErr::DatabaseError, letti.errore);
            const Articoli::TestiOfferta& t = *letti.valore;
            const auto prezzo = Vb::cdbl(t.prezzoScontato);
            if (!prezzo)
                return Esito::fallito(VbErr::TypeMismatch, t.prezzoScontato);
            v = {t.descrizione, t.dal, t.al, t.scontoValore, t.scontoPercentuale, Vb::money(*prezzo)};
            return Esito::riuscito();
        });
}

Letto<Righe> righeMagazzino()
{
    return leggi(QStringLiteral("SELECT CodProdotto, Descrizione, Categoria, \"Quantità\", Colore, UnitaMisura, "
                                "Costo, Costo2 FROM rptMagazzino ORDER BY rowid"),
                 {}, 8);
}

Letto<Righe> righeOfferte()
{
    return leggi(QStringLiteral("SELECT Descrizione, Reparto, Costo, CodProdotto, Prezzo2, CostoAcquisto "
                                "FROM rptProdotti ORDER BY rowid"),
                 {}, 6);
}

Letto<Righe> righeVenduto(const QDate& dal, const QDate& al)
{
    const auto movimenti = Articoli::movimentiVenduti(dal, al);
    if (!movimenti.ok)
        return Letto<Righe>::fallito(movimenti.errore);
    Righe out;
    for (const Articoli::MovimentoVenduto& m : *movimenti.valore)
        out << QStringList{m.qta ? Vb::cstr(*m.qta) : QString(), m.descrizione, m.ean};
    return Letto<Righe>::trovato(out);
}

} // namespace ReportTables
