#pragma once
// Numbers as the windows' decimal key filters let them be typed: what is pasted into a box is
// checked against the same rule before it is saved.
#include <QString>
#include <optional>

// A number as the decimal key filters let it be typed: digits and one decimal comma (the points
// of the Italian grouping, as the boxes show stored numbers, are accepted too). No sign, no
// exponent, no blanks; nullopt for anything a filter would have refused (a pasted "-1,50", "1e15").
std::optional<double> numeroDaTastiera(const QString& testo);

// The highest price a register takes (six integer digits and two decimals).
constexpr double kPrezzoMassimoCassa = 999999.99;
