#pragma once
// Look-ups on Reparti by code, description and VAT rate, for the windows and sends that name a
// department by one of them. A failed read is told apart from a missing department.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QString>

namespace Articoli {

// The description of department `cod` (empty for a Null one).
Letto<QString> descrizioneReparto(int cod);
// The code of the first department, by code, with that description (compared without regard to
// case, as the column is).
Letto<int> codiceRepartoPerDescrizione(const QString& descrizione);
// The code of a department with that VAT rate, the first the table gives.
Letto<int> codiceRepartoPerIva(int iva);

// Forgets the department's icon (a stored file that is no picture); the other columns stay as stored.
Esito togliIconaReparto(int cod);

} // namespace Articoli
