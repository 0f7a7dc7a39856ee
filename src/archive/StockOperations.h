#pragma once
// The bulk stock work of the article window: stock for every article, the four-to-five digit
// barcode extension with its duplicate list, the shelf-label reset and the deletion of one
// article. Each function does the database work and returns what happened.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace StockOperations {

// The file listing the extensions that were already taken, in the program folder.
QString filePLUDoppio();

// Stock text of "Applica": nullopt when refused (empty, "0", not a number, above 99999).
std::optional<double> quantitaPredefinita(const QString& testo);
// Sets the stock of every article (logically deleted ones too) to `quantita`.
Esito aggiornaQuantita(double quantita);

struct [[nodiscard]] EsitoAdeguamento
{
    Esito esito;        // a failure stops the run; candidates done before it stay done
    int candidati = 0;  // four-digit rows with an empty Note at the start
    int completati = 0; // candidates whose rows were written
    int estesi = 0;     // rows that got the extension with 0
    int copie = 0;      // new articles for the digits 1 to 9
    QStringList doppi;  // lines appended to the duplicate list
};
// The barcode extension. Each candidate is written in its own transaction, so a rerun resumes
// with the first candidate that was not finished. The old duplicate list is removed first, then
// half a second passes with user input held back.
EsitoAdeguamento adeguaCodici();

// True when some article (deleted ones too) holds `barCode`; its line is then added to `doppi`.
// A failed read is reported as such: the extension never writes a barcode it could not check.
Letto<bool> VerificaBarCodeDoppio(const QString& barCode, QStringList* doppi);

// Clears the shelf-label mark ("N") of every listable article in one statement.
Esito azzeraFrontalini();

// Removes the article with its extra barcodes and promotions, in one transaction.
Esito eliminaArticolo(const QString& codMateriale);
// The description the deletion question shows (" " for a Null one); none when no such article.
Letto<QString> descrizioneArticolo(const QString& codMateriale);

// Key filter of txtQtaPredef: the code to let through, 0 to drop the key.
int filtraTastoQuantita(int keyAscii, const QString& testoAttuale);

} // namespace StockOperations
