#pragma once
// The working tables the stock and promotions reports read (rptMagazzino, rptProdotti): emptied
// and refilled from the article window's lists on every print, in one transaction, so a failed
// fill leaves the previous rows and is reported. Also the sold-quantity rows of a period.
// The tables' columns hold what the lists show, not what their names say (Colore is the sale
// price, UnitaMisura the barcode, the promotion dates go into Reparto and Costo).
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace ReportTables {

using Righe = QList<QStringList>;

// Refills rptMagazzino from the article list's rows (cell texts by column position, as the list
// shows them, in list order). `sottoMinimo` keeps only rows whose "Min" is at least their "Q.tà"
// and writes the under-minimum columns; a cell that is not a number fails the fill.
// Failures are logged under "Magazzino" / "ValorizzaTabReportMagazzino".
Esito ValorizzaTabReportMagazzino(const Righe& lista, bool sottoMinimo);

// Refills rptProdotti from the promotions list's rows ("Cod", "CodArt", "Descrizione", "DAL",
// "AL", "Sconto Valore", "Sconto Percentuale", "Prezzo Scontato"). Failures are logged under
// "Magazzino" / "ValorizzaTabellaDiStampa".
Esito ValorizzaTabellaDiStampa(const Righe& offerte);

// The stock report's rows in its column order: CodProdotto, Descrizione, Categoria, Quantità,
// Colore, UnitaMisura, Costo, Costo2; in the order they were written.
Letto<Righe> righeMagazzino();
// The promotions report's rows: Descrizione, Reparto, Costo, CodProdotto, Prezzo2, CostoAcquisto.
Letto<Righe> righeOfferte();

// The sold-quantity report's rows (Qta, Descrizione, EAN): every movement of StoricoPLU from `dal`
// to `al` (whole days, both included) whose EAN is an article's barcode, in arrival order.
Letto<Righe> righeVenduto(const QDate& dal, const QDate& al);

} // namespace ReportTables
