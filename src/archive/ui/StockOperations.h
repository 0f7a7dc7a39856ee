#pragma once
// The article window's bulk stock buttons: these flows ask the questions, show the
// messages and tell the window whether to reload its list; archive/StockOperations does the work.
#include "archive/StockOperations.h"

#include <QString>

class QWidget;

namespace StockOperations {

// Flows of the window's buttons. Each returns true when the archive changed and the window
// should reload its list (CaricaMagazzino with the mark flag False) and focus txtRicBarCode.

// "Applica" with the text of txtQtaPredef.
bool applicaQuantitaPredefinita(QWidget* parent, const QString& testo);
// "Adegua BC".
bool adeguaCodiciConConferma(QWidget* parent);
// "Elimina PLU" on the selected article (its list text, the code).
bool eliminaArticoloConConferma(QWidget* parent, const QString& codMateriale);
// The label-mark part of "&Tutti", after the window has cleared its search fields. With the
// shelf-label box ticked nothing is asked and nothing changes; otherwise the user is asked
// whether to clear every mark. The window then reloads the whole list sorted by description.
bool chiediAzzeramentoFrontalini(bool perFrontaliniSpuntato = false);

} // namespace StockOperations
