#pragma once
// The department table Reparti: list, one row, the edit and the reset, and where a department's
// icon picture is found.
#include "core/Articoli.h"
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace Reparti {

// The department record is the store's (core/Articoli.h); Null texts are null QStrings.
using Reparto = ::Reparto;
// The "Icona" column: "Si" when Icon is not Null.
bool haIcona(const Reparto& r);

// In code order. A failed read is logged and returned as such, never as an empty table.
Letto<QList<Reparto>> tutti();
// The department `cod`; a failed read is logged and returned as such, never as "no department".
Letto<Reparto> leggi(int cod);

// The edit as the window collected it.
struct Modifica
{
    QString nome;
    QString iva;    // the VAT box's text
    QString valore; // txtValoreReparto: the preset price, empty for none
    bool prezzoZero = false;
    bool nonFiscale = false;
    bool conIcona = false; // Check3
    QString nuovaCartella; // a newly chosen picture: its folder and file; empty keeps the stored one
    QString nuovoFile;
};

// Why a VAT text cannot be a department's, empty when it can: as the editor takes it, digits and
// one decimal comma (a pasted sign or exponent is refused), at most 100.
QString verificaIva(const QString& iva);

// Writes the edit; the texts must already have been checked (numbers are converted here, and a
// text that is not one, or a VAT that verificaIva refuses, fails the save).
Esito salva(int cod, const Modifica& m);
// Name "Reparto<Cod>", every number 0, fiscal, no icon.
Esito azzera(int cod);
// Drops a stored icon that cannot be shown.
Esito dimenticaIcona(int cod);

// The picture of a stored icon: the file in its folder, else in "Icone" beside the program;
// empty when neither exists.
QString percorsoIcona(const QString& percorso, const QString& icon);

// The list's cell texts: "Reparto", "Descrizione", "Iva", "PrezzoUni", "Sconto Uni", "Icona".
QStringList riga(const Reparto& r);

} // namespace Reparti
