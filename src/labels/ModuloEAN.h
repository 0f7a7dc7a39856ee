#pragma once
// EAN-8 and EAN-13 as text for the "Code EAN13" barcode font: start guard, left half, centre
// guard, right half with the check digit, end guard. The check digit is always computed afresh.
#include <QString>

namespace ModuloEAN {

// Seven digits: returns the symbol text and appends the check digit to `codice`.
// Anything else: an empty text, `codice` unchanged.
QString EAN8(QString& codice);
// Twelve digits: the same for EAN-13 (the first digit stands in plain in front of the symbol).
QString EAN13(QString& codice);

// The check digit of `cifre` (digits only, without the check digit); -1 when not all digits.
int cifraControllo(const QString& cifre);

// The symbol text back to its digits, check digit included (8 or 13 of them), or empty when
// the text is not a well-formed symbol or its check digit is wrong.
QString decodifica(const QString& testoFont);

// The element's text for a stored code: 8 characters encode their first 7, 13 their first 12;
// any other length, or a code that is not digits, gives an empty text.
QString testoPerCodice(const QString& codice);

} // namespace ModuloEAN
