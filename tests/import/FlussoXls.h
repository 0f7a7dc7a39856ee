#pragma once
// A small .xls workbook stream written by hand, as the reader program reads it after libgsf has
// opened the file (BIFF8: the globals, then one worksheet "PRODOTTI"): shared texts, among them an
// empty one and "Caffè" split by a CONTINUE record that switches from two-byte to one-byte
// characters; a date format; NUMBER, RK and MULRK values; a formula whose result is
// `risultatoFormula` (the 8 result bytes; a text's STRING record follows when `conString`), a
// formula with a boolean result, a boolean, a label and a blank. Its rows:
//   1: "Des" (and an empty text)    2: "Caffè", 12.5, 01/01/2025
//   3: 1.5, 7, the formula, True, False    4: "Latte" (and a blank)
#include <QByteArray>
#include <QString>

inline QByteArray flussoXls(const QByteArray& risultatoFormula = QByteArray::fromHex("000000000000ffff"),
                            bool conString = true)
{
    const auto le16 = [](quint16 v) { return QByteArray(1, char(v & 0xff)) + char(v >> 8); };
    const auto le32 = [&](quint32 v) { return le16(quint16(v & 0xffff)) + le16(quint16(v >> 16)); };
    const auto rec = [&](quint16 t, const QByteArray& p) { return le16(t) + le16(quint16(p.size())) + p; };
    const auto cella = [&](quint16 r, quint16 c, quint16 xf) { return le16(r) + le16(c) + le16(xf); };
    const auto numero = [](double d) { return QByteArray(reinterpret_cast<const char*>(&d), 8); };
    QByteArray globali = rec(0x0809, le16(0x0600) + le16(0x0005) + QByteArray(12, 0)) + rec(0x0042, le16(1200)) +
                         rec(0x0022, le16(0)) + rec(0x041e, le16(164) + le16(10) + QByteArray(1, 0) + "dd/mm/yyyy") +
                         rec(0x00e0, le16(0) + le16(0) + QByteArray(16, 0)) +
                         rec(0x00e0, le16(0) + le16(164) + QByteArray(16, 0));
    const QByteArray foglio = QByteArray(1, 8) + QByteArray(1, 0) + "PRODOTTI";
    const QByteArray sst = le32(4) + le32(4) + le16(3) + QByteArray(1, 0) + "Des" + le16(0) + QByteArray(1, 0) +
                           le16(4) + QByteArray(1, 0) + "Pane" + le16(5) + QByteArray(1, 1) +
                           QByteArray("C\0a\0f\0", 6);
    const QByteArray seguito = QByteArray(1, 0) + "f\xe8";
    const QByteArray fine = rec(0x000a, {});
    // The sheet's offset: the globals with their BOUNDSHEET, SST, CONTINUE and EOF.
    const qsizetype inizio = globali.size() + 4 + 6 + foglio.size() + 4 + sst.size() + 4 + seguito.size() + fine.size();
    globali +=
        rec(0x0085, le32(quint32(inizio)) + QByteArray(2, 0) + foglio) + rec(0x00fc, sst) + rec(0x003c, seguito) + fine;
    return globali + rec(0x0809, le16(0x0600) + le16(0x0010) + QByteArray(12, 0)) + rec(0x0200, QByteArray(14, 0)) +
           rec(0x0208, QByteArray(16, 0)) + rec(0x0208, QByteArray(16, 0)) + rec(0x00fd, cella(0, 0, 0) + le32(0)) +
           rec(0x00fd, cella(0, 1, 0) + le32(1)) + rec(0x0203, cella(1, 1, 0) + numero(12.5)) +
           rec(0x00fd, cella(1, 0, 0) + le32(3)) + rec(0x027e, cella(1, 2, 1) + le32(45658u << 2 | 2)) +
           rec(0x00bd, le16(2) + le16(0) + le16(0) + le32(0x3ff80000) + le16(0) + le32(7u << 2 | 2) + le16(1)) +
           rec(0x0006, cella(2, 2, 0) + risultatoFormula + le16(0) + le32(0) + le16(0)) +
           (conString ? rec(0x0207, le16(4) + QByteArray(1, 0) + "Olio") : QByteArray()) +
           rec(0x0006, cella(2, 3, 0) + QByteArray::fromHex("010001000000ffff") + le16(0) + le32(0) + le16(0)) +
           rec(0x0205, cella(2, 4, 0) + QByteArray(2, 0)) +
           rec(0x0204, cella(3, 0, 0) + le16(5) + QByteArray(1, 0) + "Latte") + rec(0x0201, cella(3, 1, 0)) +
           rec(0x00d7, le32(0)) + fine;
}
