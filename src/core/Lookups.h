#pragma once
// Small shared lookups on the shop database and other utilities used by many windows.
// Every value is bound: names with apostrophes are simply found.
#include <QString>

QString TrovaNomeRep(int cod);                      // description, or the code itself when not found
QString TrovaCodiceRep(const QString& descrizione); // code as text, or "1" when not found
QString TrovaDescrizioneRep(int idReparto);         // from RepartiEsterno; "Reparto41" when not found
int TrovaCodiceRepXIVA(int iva);                    // department of that VAT rate, or 40
QString TrovaCodiceFornitore(const QString& codMateriale);

// Spreadsheets are written directly here, so there is no data source to create: records it as present.
void CreaDSNUtente();
