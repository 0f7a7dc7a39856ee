#pragma once
// What the sends to the registers and the reception read of the archive: the articles of a PLU
// send in barcode order with their first promotion and their extra barcodes, the departments of
// a department send, the barcodes a reception asks for; and the "changed" marks a send clears.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace Articoli {

// One article of a PLU send. Kept as plain text and numbers rather than variants: fifty
// thousand of them are held at once. A Null number reads as 0.
struct ArticoloInvio
{
    qint64 cod = 0;
    QString descrizione;
    double quantita = 0; // "Quantità"
    double costo = 0;
    QString unita;
    QString genere;
    QString barCode;
    bool descrizioneNulla = false;
    bool genereNullo = false;
};

// Every article, or only those marked as changed, in ascending barcode order.
Letto<std::vector<ArticoloInvio>> articoliDaInviare(bool soloModificati);

// An article's promotion: its dates as stored and its price (Null reads as 0).
struct OffertaInvio
{
    QString dal;
    QString al;
    double prezzo = 0;
};
// Each article's first promotion row, by article code.
Letto<QHash<qint64, OffertaInvio>> primeOfferte();

// Each article's extra barcodes in barcode order; blank ones are left out (a PLU without code).
Letto<QHash<qint64, QStringList>> barCodeUlterioriDaInviare();

// Clears the "changed" mark of every article.
Esito azzeraModificati();

// One department of a department send; Sconto as stored (old files hold text there).
struct RepartoInvio
{
    int cod = 0;
    QString descrizione;
    double iva = 0;
    double prezzoPrefissato = 0;
    QVariant sconto;
};
// Every department in code order.
Letto<std::vector<RepartoInvio>> repartiDaInviare();

// The barcodes a reception by article asks the register for: every article's, in the order of
// its code as text.
Letto<QStringList> barCodePerRicezione();

} // namespace Articoli
