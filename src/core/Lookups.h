#pragma once
// Small shared lookups on the shop database and other utilities used by many windows.
// Every value is bound: names with apostrophes are simply found.
#include "core/Read.h"

#include <QString>

// A department that is not there gives the documented fallback; a read that failed is logged
// ("Funzioni", the procedure's name) and returned as failed, never as a fallback value.
Letto<QString> TrovaNomeRep(int cod);                      // description, or the code itself when not found
Letto<QString> TrovaCodiceRep(const QString& descrizione); // code as text, or "1" when not found
Letto<int> TrovaCodiceRepXIVA(int iva);                    // department of that VAT rate, or 40
QString TrovaDescrizioneRep(int idReparto);                // from RepartiEsterno; "Reparto41" when not found
QString TrovaCodiceFornitore(const QString& codMateriale);

// Spreadsheets are written directly here, so there is no data source to create: records it as present.
void CreaDSNUtente();
