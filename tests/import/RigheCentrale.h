#pragma once
// Lines of the central warehouse's files written from the two layouts: an A line is 358
// characters in 56 fields, a B line 129 characters in 17 fields; every field left-aligned in
// its place, the rest blanks.
#include <QMap>
#include <QString>
#include <array>
#include <utility>

namespace Righe {

// {start, length} of every field, from the layout tables.
inline const std::array<std::pair<int, int>, 56> kA = {{
    {1, 1},   {2, 8},    {10, 7},  {17, 9},  {26, 40},  {66, 20},  {86, 4},   {90, 3},   {93, 3},  {96, 2},
    {98, 5},  {103, 9},  {112, 2}, {114, 8}, {122, 4},  {126, 1},  {127, 1},  {128, 1},  {129, 1}, {130, 1},
    {131, 4}, {135, 13}, {148, 8}, {157, 4}, {161, 2},  {163, 4},  {167, 4},  {171, 2},  {173, 8}, {181, 5},
    {186, 8}, {194, 3},  {197, 6}, {203, 3}, {206, 13}, {219, 13}, {232, 13}, {245, 13}, {258, 8}, {266, 8},
    {274, 8}, {282, 8},  {290, 1}, {291, 1}, {292, 9},  {301, 2},  {303, 3},  {306, 2},  {308, 2}, {310, 2},
    {312, 2}, {314, 12}, {326, 8}, {334, 2}, {336, 3},  {339, 20},
}};
inline const std::array<std::pair<int, int>, 17> kB = {{
    {1, 1},
    {2, 8},
    {10, 7},
    {17, 9},
    {26, 20},
    {46, 5},
    {51, 1},
    {52, 1},
    {53, 9},
    {62, 9},
    {71, 2},
    {73, 3},
    {76, 20},
    {96, 8},
    {104, 2},
    {107, 3},
    {110, 20},
}};

template <size_t N>
QString linea(const std::array<std::pair<int, int>, N>& layout, int lunghezza, const QMap<int, QString>& campi)
{
    QString r(lunghezza, QLatin1Char(' '));
    for (auto it = campi.cbegin(); it != campi.cend(); ++it) {
        const auto [inizio, larghezza] = layout[size_t(it.key() - 1)];
        r.replace(inizio - 1, larghezza, it.value().leftJustified(larghezza, QLatin1Char(' '), true));
    }
    return r;
}

inline QString a(const QMap<int, QString>& campi)
{
    return linea(kA, 358, campi);
}
inline QString b(const QMap<int, QString>& campi)
{
    return linea(kB, 129, campi);
}

// A price in thousandths, zero-padded to the field's 13 digits.
inline QString millesimi(qint64 v)
{
    return QString::number(v).rightJustified(13, QLatin1Char('0'));
}

// The usual A line: kind, description, code, supplier flag, unit, quantity, price, department.
inline QString articolo(const QString& tipo, const QString& codice, const QString& descrizione, int qta = 5,
                        qint64 prezzo = 12500, const QString& reparto = QStringLiteral("003"),
                        const QString& sigma = QStringLiteral("S"))
{
    return a({{1, tipo},
              {5, descrizione},
              {12, codice},
              {17, sigma},
              {25, QStringLiteral("PZ")},
              {27, QString::number(qta).rightJustified(4, QLatin1Char('0'))},
              {36, millesimi(prezzo)},
              {38, millesimi(0)},
              {41, QStringLiteral("01/02/24")},
              {42, QStringLiteral("29/02/24")},
              {47, reparto}});
}

// The usual B line: code and EAN.
inline QString variazione(const QString& codice, const QString& ean, const QString& tipo = QStringLiteral("M"))
{
    return b({{1, tipo}, {2, QStringLiteral("20240201")}, {5, ean}, {9, codice}, {12, QStringLiteral("003")}});
}

} // namespace Righe
