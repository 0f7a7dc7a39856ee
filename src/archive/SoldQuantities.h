#pragma once
// The sold-quantity view: the quantities of StoricoPLU within a period, one row per main
// barcode of an article, in the order the history first mentions each barcode. The quantities of a
// barcode are added up exactly (weighed goods included), in thousandths as the registers send them.
#include <QDate>
#include <QList>
#include <QString>

class Interaction;

namespace SoldQuantities {

struct RigaPLU
{
    QString cod; // column "Cod", always empty
    QString ean;
    QString descrizione;
    qint64 millesimi = 0; // the sum, in thousandths
    QString qtaTesto;     // column "Qtà": the sum with up to three decimals, a whole number without
};

struct [[nodiscard]] Venduto
{
    bool ok = true;       // false on a database error or a quantity past 64 bits (logged): nothing listed
    QList<RigaPLU> righe; // rows for lstPLU
    QString totale;       // caption of lblTotMovimentati; empty when !ok (leave the label as it was)
};

// A quantity in thousandths as the view shows it: "1,5", "0,125", "2".
QString testoQuantita(qint64 millesimi);

// Both bounds inclusive.
Venduto VisualizzaVendutoPLU(const QDate& dal, const QDate& al);

// "Vedi": false (after the warning) when the end date is before the start date; the window
// then leaves the list as it is, otherwise it runs VisualizzaVendutoPLU.
bool periodoValido(const QDate& dal, const QDate& al, Interaction& interazione);

} // namespace SoldQuantities
