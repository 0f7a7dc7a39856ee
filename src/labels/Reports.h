#pragma once
// The shop's three data reports as the renderer draws them: the stock list (ReportMagazzino),
// the quantities sold in a period (rptPLU) and the promotions list (rptOfferte), with their
// captions, column widths and run-time labels.
#include "labels/ReportRenderer.h"
#include "labels/ReportTables.h"

#include <QDate>

namespace Reports {

// "%D": the day in the Italian long date form ("mercoledì 9 dicembre 2026").
QString dataLunga(const QDate& d);

// The stock list: rows from rptMagazzino; `valore` is the listed articles' stock value, printed as
// money.
Report ReportMagazzino(const QList<ReportTables::RigaReportMagazzino>& righe, double valore, const QDate& oggi);
// The sold quantities: rows (Qta, Descrizione, EAN); the period as the pickers hold it.
Report rptPLU(QList<QStringList> righe, const QDate& dal, const QDate& al);
// The promotions: rows from rptProdotti.
Report rptOfferte(const QList<ReportTables::RigaReportOfferte>& righe, const QDate& oggi);

} // namespace Reports
