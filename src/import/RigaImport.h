#pragma once
// The row record of the price-list imports: every field as the file gave it, as text; numbers
// are read (Italian settings) only when written to the archive. An engine fills only its fields.
#include <QString>
#include <optional>

struct RigaImport
{
    QString codArticoloFornitore;
    QString descrizione;
    QString codForPrevalente; // the generic spreadsheet engine keeps the supplier's name here
    QString iva;
    QString barCode;
    QString quantita;
    QString reparto;
    QString prezzo;
    QString prezzoAcquisto;
    // Spreadsheets: a number cell's value (or the value an empty cell stands for), handed on as it
    // is; the text field beside it is then empty.
    std::optional<double> quantitaNumero;
    std::optional<double> prezzoNumero;
    std::optional<double> prezzoAcquistoNumero;
    std::optional<double> ivaNumero;
    // Spreadsheets: the cell (or its column) was empty, so a found article keeps its value.
    bool quantitaVuota = false;
    bool prezzoVuoto = false;
    bool prezzoAcquistoVuoto = false;
    // The file's line (or the sheet's row) it came from, from 1, for the closing message.
    int riga = 0;
    // A field of the line could not be read as a number (or not as a valid one) and was left unset.
    bool illeggibile = false;
};
