#pragma once
// The article window's print buttons for the data reports: the stock list ("Stampa Esporta"),
// the sold quantities ("Stampa" of the sold-quantity tab) and the promotions list ("Stampa
// Elenco Offerte"). The first two offer the spreadsheet export first. The window passes the
// records of its lists and the period of its pickers.
#include "labels/ReportTables.h"

#include <QDate>

class Interaction;
class ProgressSink;
class QWidget;

namespace ReportComandi {

// `articoli`: the article list's records, in list order, whose stock value the report totals;
// `soloQtaZero`: the "Qta <= 0" search option is selected. The export reports to `progresso`.
void cmdStampaMagazzino_Click(Interaction& ia, QWidget* parent, const QList<Articoli::ArticoloElencato>& articoli,
                              bool soloQtaZero, ProgressSink& progresso);
// The period of the sold-quantity tab's pickers.
void cmdStampaVPLU_Click(Interaction& ia, QWidget* parent, const QDate& dal, const QDate& al, ProgressSink& progresso);
// `offerte`: the promotions list's records, in list order.
void cmdStampaElencoOfferte_Click(Interaction& ia, QWidget* parent, const QList<Articoli::Offerta>& offerte);

} // namespace ReportComandi
