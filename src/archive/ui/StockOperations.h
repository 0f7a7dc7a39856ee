#pragma once
// Bulk operations of the article window: stock for every article, the four-to-five digit
// barcode extension with its duplicate list, the shelf-label reset and the deletion of one
// article. The plain functions do the database work and return what happened; the *_Click
// flows ask the questions, show the messages and tell the window whether to reload its list.
#include "core/ErrorLog.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace StockOperations {

// The file listing the extensions that were already taken, in the program folder.
QString filePLUDoppio();

// Stock text of "Applica": nullopt when refused (empty, "0", not a number, above 99999).
std::optional<double> quantitaPredefinita(const QString& testo);
// Sets the stock of every article (logically deleted ones too) to `quantita`.
Esito aggiornaQuantita(double quantita);

struct EsitoAdeguamento
{
    Esito esito;        // a failure stops the run; candidates done before it stay done
    int candidati = 0;  // four-digit rows with an empty Note at the start
    int completati = 0; // candidates whose rows were written
    int estesi = 0;     // rows that got the extension with 0
    int copie = 0;      // new articles for the digits 1 to 9
    QStringList doppi;  // lines appended to the duplicate list
};
// The barcode extension. Each candidate is written in its own transaction, so a rerun resumes
// with the first candidate that was not finished. `pausa` runs once before the first candidate
// (the duplicate list has been removed by then).
EsitoAdeguamento adeguaCodici(const std::function<void()>& pausa = {});

// True when some article (deleted ones too) holds `barCode`; its line is then added to `doppi`.
bool VerificaBarCodeDoppio(const QString& barCode, QStringList* doppi);

// Clears the shelf-label mark ("N") of every listable article in one statement.
Esito azzeraFrontalini();

// Removes the article with its extra barcodes and promotions, in one transaction.
Esito eliminaArticolo(const QString& codMateriale);
// The description the deletion question shows (" " for a Null one); empty when no such article.
QString descrizioneArticolo(const QString& codMateriale);

// Key filter of txtQtaPredef: the code to let through, 0 to drop the key.
int txtQtaPredef_KeyPress(int keyAscii, const QString& testoAttuale);

// Any mouse press in txtQtaPredef: the on-screen keyboard for it, over the article window `form`.
void txtQtaPredef_MouseDown(QWidget* form);

// Flows of the window's buttons. Each returns true when the archive changed and the window
// should reload its list (CaricaMagazzino with the mark flag False) and focus txtRicBarCode.

// "Applica" with the text of txtQtaPredef.
bool cmdAggiornaQta_Click(QWidget* parent, const QString& testo);
// "Adegua BC".
bool cmdAdeguaCodici_Click(QWidget* parent);
// "Elimina PLU" on the selected article (its list text, the code).
bool Elimina_Click(QWidget* parent, const QString& codMateriale);
// The label-mark part of "&Tutti", after the window has cleared its search fields. With the
// shelf-label box ticked nothing is asked and nothing changes; otherwise the user is asked
// whether to clear every mark. The window then reloads the whole list sorted by description.
bool Command7_Click(bool perFrontaliniSpuntato = false);

} // namespace StockOperations
