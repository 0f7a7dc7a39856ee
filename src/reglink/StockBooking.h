#pragma once
// Booking of the quantities the registers sold: each received PLU file (one reply per line,
// fields separated by "/") lowers the stock of the article and adds a StoricoPLU row.
#include <QDate>
#include <QList>
#include <QString>

namespace StockBooking {

// A received record: the barcode as the register sent it and the quantity in units.
struct RecordRicevuto
{
    QString barCode;
    double quantita = 0;
};

// Fields of a received line (numbered from 0 after splitting at "/") that hold barcode and quantity.
struct Posizioni
{
    int barCode = 3;
    int quantita = 12;
};
// FlagPiruNEX, or an article-by-article reception (mode 1): 3 and 12; a full dump of the other model: 4 and 8.
Posizioni posizioniCampi(bool flagPiruNEX, int modo);

struct [[nodiscard]] Lettura
{
    bool aperto = false;
    QList<RecordRicevuto> records;
    int malformati = 0; // lines that could not be read as a record: too few fields, a quantity that is no number
};
// Reads a received file (Windows-1252, lines ended by CR LF, LF or CR). Empty lines are skipped.
// Not `aperto` when the file cannot be opened or read whole.
Lettura LeggiFilePLU(const QString& path, const Posizioni& pos);
// The same reading of a file's bytes.
Lettura LeggiTestoPLU(const QByteArray& bytes, const Posizioni& pos);

struct [[nodiscard]] EsitoPrenotazione
{
    bool ok = false;    // false: the file could not be read or the booking was rolled back
    int registrati = 0; // records that changed stock and history
    int ignorati = 0;   // barcode empty or of no article
    int malformati = 0;
};

// AggiornaQuantitaDaFilePLU: every record's quantity is subtracted from its article's stock (an
// extra barcode books on the article that owns it) and recorded in StoricoPLU under the received
// barcode, dated `oggi`. A code that is no barcode is looked up as the in-store code the register
// holds (Articoli::perCodiceInCassa) and booked under that article's barcode. The whole file is
// one transaction. Malformed records are counted in the error log.
EsitoPrenotazione AggiornaQuantitaDaFilePLU(const QString& path, int modo, const QDate& oggi = QDate::currentDate());

// AcquisisciFilePLU: <program folder>/PLUQuidar.txt holds the registers' stock figures (field 3
// barcode, field 11 quantity): each becomes the article's stock, and the decrease goes to StoricoPLU.
EsitoPrenotazione AcquisisciFilePLU(const QDate& oggi = QDate::currentDate());

} // namespace StockBooking
