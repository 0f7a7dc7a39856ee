#include "labels/ReportTables.h"

#include "core/Database.h"
#include "core/VbConvert.h"
#include "core/store/Report.h"
#include "core/store/RigaElenco.h"
#include "labels/Totale.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ReportTables {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

Esito fallito(const QString& procedura, VbErr e, const QString& dettaglio)
{
    const Esito es = Esito::fallito(e, dettaglio);
    ScriviErrore(kModulo, procedura, es);
    return es;
}

template <class Riga, std::size_t N> QString nomiColonne(const Colonna<Riga> (&colonne)[N])
{
    QStringList nomi;
    for (const Colonna<Riga>& c : colonne)
        nomi << QLatin1Char('"') + QString::fromUtf8(c.nome) + QLatin1Char('"');
    return nomi.join(QStringLiteral(", "));
}

// Empties `tabella` and writes `righe` into it, each field into its column, in one transaction.
template <class Riga, std::size_t N>
Esito riempi(const QString& proc, const QString& tabella, const Colonna<Riga> (&colonne)[N], const QList<Riga>& righe)
{
    Db::Transaction t;
    if (!t.ok())
        return fallito(proc, VbErr::DatabaseError, t.errore());
    QString errore;
    if (!Db::exec(QStringLiteral("DELETE FROM ") + tabella, {}, &errore))
        return fallito(proc, VbErr::DatabaseError, errore);
    QStringList segni;
    for (std::size_t i = 0; i < N; ++i)
        segni << QStringLiteral("?");
    QSqlQuery ins(Db::dbNegozio());
    if (!ins.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(tabella, nomiColonne(colonne), segni.join(QStringLiteral(", ")))))
        return fallito(proc, VbErr::DatabaseError, ins.lastError().text());
    for (const Riga& r : righe) {
        // A field never set stays Null, as a column the old fill did not write.
        for (std::size_t i = 0; i < N; ++i)
            ins.bindValue(int(i), r.*(colonne[i].campo));
        if (!ins.exec())
            return fallito(proc, VbErr::DatabaseError, ins.lastError().text());
    }
    ins.finish();
    if (!t.commit())
        return fallito(proc, VbErr::DatabaseError, t.errore());
    return Esito::riuscito();
}

template <class Riga, std::size_t N> Letto<QList<Riga>> leggi(const QString& tabella, const Colonna<Riga> (&colonne)[N])
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(nomiColonne(colonne), tabella));
    if (!q.isActive())
        return Letto<QList<Riga>>::fallito(q.lastError().text());
    QList<Riga> out;
    while (q.next()) {
        Riga r;
        for (std::size_t i = 0; i < N; ++i)
            r.*(colonne[i].campo) = q.value(int(i)).toString();
        out << r;
    }
    if (q.lastError().isValid())
        return Letto<QList<Riga>>::fallito(q.lastError().text());
    return Letto<QList<Riga>>::trovato(out);
}

} // namespace

Esito ValorizzaTabReportMagazzino(const QList<Articoli::ArticoloElencato>& articoli, bool sottoMinimo)
{
    const QString proc = QStringLiteral("ValorizzaTabReportMagazzino");
    Articoli::FormatoElenco formato;
    QList<RigaReportMagazzino> righe;
    for (const Articoli::ArticoloElencato& a : articoli) {
        const Articoli::TestiArticolo t = formato.testi(a);
        RigaReportMagazzino r;
        r.descrizione = t.descrizione;
        r.reparto = t.reparto.isEmpty() ? QStringLiteral("***") : t.reparto;
        r.quantita = t.quantita;
        r.fornitore = t.fornitore;
        if (!sottoMinimo) {
            r.codiceFornitore = t.codiceFornitore;
            r.prezzoVendita = t.prezzoVendita;
            r.barCode = t.barCode;
            r.prezzoAcquisto = t.prezzoAcquisto;
            righe << r;
            continue;
        }
        // Compared as the list shows them, with two decimals; no number stops the fill.
        const auto minimo = Articoli::numeroMostrato(a.minimo);
        const auto qta = Articoli::numeroMostrato(a.quantita);
        if (!minimo || !qta)
            return fallito(proc, VbErr::TypeMismatch, t.codice);
        if (*minimo < *qta)
            continue;
        // The under-minimum fill has always put other values under the same headings: the
        // article's own code under "Cod.  For.", its unit under "BarCode", its sale price under
        // "Costo", and nothing under "Prezzo di Vendita".
        r.codiceFornitore = t.codice;
        r.minimo = t.minimo;
        r.barCode = t.unitaMisura;
        r.prezzoAcquisto = t.prezzoVendita;
        righe << r;
    }
    // Departments that could not be read would print as their codes.
    if (formato.erroreReparti())
        return fallito(proc, VbErr::DatabaseError, *formato.erroreReparti());
    return riempi(proc, QStringLiteral("rptMagazzino"), kColonneMagazzino, righe);
}

double valoreGiacenze(const QList<Articoli::ArticoloElencato>& articoli)
{
    Articoli::FormatoElenco formato;
    Totale totale;
    for (const Articoli::ArticoloElencato& a : articoli)
        totale.aggiungi(formato.mostra(a).valore);
    return totale.valore().value_or(0);
}

Esito ValorizzaTabellaDiStampa(const QList<Articoli::Offerta>& offerte)
{
    const QString proc = QStringLiteral("ValorizzaTabellaDiStampa");
    QList<RigaReportOfferte> righe;
    for (const Articoli::Offerta& o : offerte) {
        const Letto<Articoli::TestiOfferta> letti = Articoli::testiOfferta(o);
        if (!letti.ok)
            return fallito(proc, VbErr::DatabaseError, letti.errore);
        const Articoli::TestiOfferta& t = *letti.valore;
        // The discounted price as the list shows it, read back and written with two decimals;
        // one that is not a number stops the fill.
        const auto prezzo = Vb::cdbl(t.prezzoScontato);
        if (!prezzo)
            return fallito(proc, VbErr::TypeMismatch, t.prezzoScontato);
        righe << RigaReportOfferte{t.descrizione, t.dal, t.al, t.scontoValore, t.scontoPercentuale, Vb::money(*prezzo)};
    }
    return riempi(proc, QStringLiteral("rptProdotti"), kColonneOfferte, righe);
}

Letto<QList<RigaReportMagazzino>> righeMagazzino()
{
    return leggi(QStringLiteral("rptMagazzino"), kColonneMagazzino);
}

Letto<QList<RigaReportOfferte>> righeOfferte()
{
    return leggi(QStringLiteral("rptProdotti"), kColonneOfferte);
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
