#pragma once
// The article window's bulk work on Magazzino: one stock for every article, the four-digit
// barcodes to extend and their extension, the shelf-label reset.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QList>
#include <QString>

namespace Articoli {

// Sets the stock of every article (logically deleted ones too).
Esito impostaQuantitaTutti(double quantita);

struct CodiceDaEstendere
{
    qint64 cod = 0;
    QString barCode;
};
// The articles with a four-character barcode and an empty Note, by code.
Letto<QList<CodiceDaEstendere>> codiciDaEstendere();
// Writes the extended barcode and the Note that marks the article as done.
Esito estendiBarCode(qint64 cod, const QString& barCode, const QString& note);

// Clears the shelf-label mark ("N") of every listable article in one statement.
Esito azzeraFrontalini();

} // namespace Articoli
