#pragma once
// The article window's backup and database-switch buttons: the folder is asked of the program's
// interaction, so tests never block on a dialog; archive/DataBackup does the work.
#include "archive/DataBackup.h"

#include <QString>

class QWidget;

namespace DataBackup {

// The folder picker of the program's interaction; a cancelled choice gives an empty text.
QString SceltaPerc(QWidget* parent, const QString& title);

// Flows of the window's buttons.
void eseguiSalvataggio(QWidget* parent, const Disco& disco);
// True when the program switched to another database: the window then refreshes itself.
bool scegliECambiaDatabase(QWidget* parent);

} // namespace DataBackup
