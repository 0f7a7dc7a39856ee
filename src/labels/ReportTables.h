#pragma once
// The working tables the stock and promotions reports read (rptMagazzino, rptProdotti): emptied
// and refilled from the records of the article window's lists on every print, in one
// transaction, so a failed fill leaves the previous rows and is reported. Also the sold-quantity
// rows of a period. The tables keep the columns the database file has always had, whose names
// say nothing of what they hold (they were only the reports' binding keys): each table is filled
// and read through one record, and the column lists below are the one place that says which
// stored column holds which field.
#include "core/ErrorLog.h"
#include "core/Read.h"
#include "core/store/Offerte.h"
#include "core/store/RigaElenco.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace ReportTables {

// One row of rptMagazzino, the texts the article list shows, in the stock report's column order.
struct RigaReportMagazzino
{
    QString codiceFornitore; // "Cod.  For.": the supplier's article code
    QString descrizione;     // "Descrizione"
    QString reparto;         // "Genere": the department, "***" for none
    QString quantita;        // "Giacenze": the stock
    QString prezzoVendita;   // "Prezzo di Vendita"
    QString barCode;         // "BarCode"
    QString prezzoAcquisto;  // "Costo": the purchase price
    QString fornitore;       // "Fornitore"
    QString minimo;          // not printed: the reorder level, written by the under-minimum fill only
};

// One row of rptProdotti, the texts the promotions list shows, in the report's column order.
struct RigaReportOfferte
{
    QString descrizione;       // "Descrizione": the article's
    QString dal;               // "DAL"
    QString al;                // "AL"
    QString scontoValore;      // "Sconto Valore "
    QString scontoPercentuale; // "Sconto Percentuale"
    QString prezzoScontato;    // "Prezzo di Vendita Scontato ": two decimals
};

// A stored column and the field of the record it holds.
template <class Riga> struct Colonna
{
    const char* nome; // as stored, UTF-8
    QString Riga::*campo;
};

// rptMagazzino's columns as stored, each with the field it holds.
inline constexpr Colonna<RigaReportMagazzino> kColonneMagazzino[] = {
    {"CodProdotto", &RigaReportMagazzino::codiceFornitore},
    {"Descrizione", &RigaReportMagazzino::descrizione},
    {"Categoria", &RigaReportMagazzino::reparto},
    {"Quantità", &RigaReportMagazzino::quantita},
    {"Giacenze", &RigaReportMagazzino::minimo},
    {"Colore", &RigaReportMagazzino::prezzoVendita},
    {"UnitaMisura", &RigaReportMagazzino::barCode},
    {"Costo", &RigaReportMagazzino::prezzoAcquisto},
    {"Costo2", &RigaReportMagazzino::fornitore},
};

// rptProdotti's columns as stored, each with the field it holds.
inline constexpr Colonna<RigaReportOfferte> kColonneOfferte[] = {
    {"Descrizione", &RigaReportOfferte::descrizione},
    {"Reparto", &RigaReportOfferte::dal},
    {"Costo", &RigaReportOfferte::al},
    {"CodProdotto", &RigaReportOfferte::scontoValore},
    {"Prezzo2", &RigaReportOfferte::scontoPercentuale},
    {"CostoAcquisto", &RigaReportOfferte::prezzoScontato},
};

// Refills rptMagazzino from the article list's records, in list order, with the texts the list
// shows. `sottoMinimo` keeps only articles whose "Min" is at least their "Q.tà" (both as shown)
// and fills the under-minimum way; a "Min" or "Q.tà" that is Null or not a number fails the fill.
// Failures are logged under "Magazzino" / "ValorizzaTabReportMagazzino".
Esito ValorizzaTabReportMagazzino(const QList<Articoli::ArticoloElencato>& articoli, bool sottoMinimo);

// The stock value of the article list's records: the exact sum of quantity x sale price over the
// rows that have both, as the list's own total adds them.
double valoreGiacenze(const QList<Articoli::ArticoloElencato>& articoli);

// Refills rptProdotti from the promotions list's records, in list order, with the texts the list
// shows. Failures (an article that cannot be read among them) are logged under "Magazzino" /
// "ValorizzaTabellaDiStampa".
Esito ValorizzaTabellaDiStampa(const QList<Articoli::Offerta>& offerte);

// The rows of each table in the order they were written.
Letto<QList<RigaReportMagazzino>> righeMagazzino();
Letto<QList<RigaReportOfferte>> righeOfferte();

using Righe = QList<QStringList>;

// The sold-quantity report's rows (Qta, Descrizione, EAN): every movement of StoricoPLU from `dal`
// to `al` (whole days, both included) whose EAN is an article's barcode, in arrival order.
Letto<Righe> righeVenduto(const QDate& dal, const QDate& al);

} // namespace ReportTables
