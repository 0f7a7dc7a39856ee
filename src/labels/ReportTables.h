#pragma once
// The working tables the stock and promotions reports read (rptMagazzino, rptProdotti): emptied
// and refilled from the records of the article window's lists on every print, in one
// transaction, so a failed fill leaves the previous rows and is reported. Also the sold-quantity
// rows of a period. The tables' columns hold the texts the lists show (the lists' own
// formatting), not what their names say (Colore is the sale price, UnitaMisura the barcode, the
// promotion dates go into Reparto and Costo).
#include "core/ErrorLog.h"
#include "core/Read.h"
#include "core/store/Offerte.h"
#include "core/store/RigaElenco.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace ReportTables {

using Righe = QList<QStringList>;

// Refills rptMagazzino from the article list's records, in list order, with the texts the list
// shows. `sottoMinimo` keeps only articles whose "Min" is at least their "Q.tà" (both as shown)
// and writes the under-minimum columns; a "Min" or "Q.tà" that is Null or not a number fails the
// fill. Failures are logged under "Magazzino" / "ValorizzaTabReportMagazzino".
Esito ValorizzaTabReportMagazzino(const QList<Articoli::ArticoloElencato>& articoli, bool sottoMinimo);

// Refills rptProdotti from the promotions list's records, in list order, with the texts the list
// shows. Failures are logged under "Magazzino" / "ValorizzaTabellaDiStampa".
Esito ValorizzaTabellaDiStampa(const QList<Articoli::Offerta>& offerte);

// The stock report's rows in its column order: CodProdotto, Descrizione, Categoria, Quantità,
// Colore, UnitaMisura, Costo, Costo2; in the order they were written.
Letto<Righe> righeMagazzino();
// The promotions report's rows: Descrizione, Reparto, Costo, CodProdotto, Prezzo2, CostoAcquisto.
Letto<Righe> righeOfferte();

// The sold-quantity report's rows (Qta, Descrizione, EAN): every movement of StoricoPLU from `dal`
// to `al` (whole days, both included) whose EAN is an article's barcode, in arrival order.
Letto<Righe> righeVenduto(const QDate& dal, const QDate& al);

} // namespace ReportTables
