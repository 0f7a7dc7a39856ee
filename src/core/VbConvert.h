#pragma once
// The number and text conversions the shop's files and screens rely on, with Italian settings
// whatever the process locale: "1.234,56" money, 15-digit CStr, banker's CInt, Val, IsNumeric.
#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace Vb {

const QLocale& italian();

// Format(x, pattern) for numeric patterns such as "##,##0.00", "0.00", "0.000", "#,##0", "0":
// a ',' in the pattern asks for thousands grouping, the digits after '.' give the decimals.
// Rounds half away from zero from the 15-significant-digit decimal text (2.675 -> "2,68").
QString format(double x, const QString& pattern);
inline QString money(double x) { return format(x, QStringLiteral("##,##0.00")); }

// Same rounding, with '.' as the decimal point and no grouping: register command files.
QString fixedPoint(double x, int decimals);

// Round half away from zero to `decimals`, from the 15-digit decimal text.
double roundHalfAway(double x, int decimals);

// CStr of a Double: up to 15 significant digits, decimal comma, no grouping.
QString cstr(double x);

// CInt / CLng: halves to even; nullopt when out of range (overflow) or not finite.
std::optional<int> cint(double x);
std::optional<qint32> clng(double x);
// The same rounding into 64 bits: for whole numbers the original held in 16 or 32 bits and whose
// limit must not end the work here.
std::optional<qint64> interoLargo(double x);

// Val: the leading number of the text, '.' as decimal point, blanks ignored; 0 when none.
double val(const QString& s);

// IsNumeric / CDbl with Italian settings: "3,5", " 3 ", "1.000" and "-1.234,5" are numbers.
bool isNumeric(const QString& s);
std::optional<double> cdbl(const QString& s);

// Dates: "dd/mm/yyyy" for people, "yyyy-MM-dd" in the database.
QString formatDate(const QDate& d);
QDate parseDate(const QString& s); // strict dd/mm/yyyy (1-2 digit day and month accepted); invalid on failure
QString isoDate(const QDate& d);
QDate fromIso(const QString& s);
QString formatTime(const QTime& t); // "hh.mm.ss"

} // namespace Vb
