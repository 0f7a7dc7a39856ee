#pragma once
// The two spreadsheet exports of the article window: the quantities sold in a period and the
// whole article archive with its stock values and totals, each written as a new .xlsx workbook
// that the user names. They ask and tell the user themselves (Interaction).
#include <QDate>
#include <QString>

class Interaction;
class ProgressSink;

namespace ExportExcel {

// The save dialog's one filter.
QString filtro();

// The save dialog titled `titolo`: the chosen path (".xlsx" added when the name lacks it, in
// place of an ".xls" it ends with), or empty when nothing was chosen.
QString ScegliFileXLS(Interaction& ia, const QString& titolo);

// Sheet Foglio1: Descrizione, EAN, Qta, DataModif of every movement from `dal` to `al` (whole
// days, both included) whose EAN is an article's barcode, by description. True when written.
bool EsportaVendutoExcel(Interaction& ia, const QDate& dal, const QDate& al, ProgressSink& progresso);

// Sheet Foglio1: one row per article (only those with Quantità at or below 0 when
// `soloQtaZero`), by description; sheet Foglio2: the totals over the whole table. Values are exact
// (shown with two decimals), the totals their exact sums.
bool EsportaMagazzinoExcel(Interaction& ia, bool soloQtaZero, ProgressSink& progresso);

} // namespace ExportExcel
