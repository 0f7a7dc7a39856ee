#pragma once
// The staging table MagazzinoPerQuidar (the articles to send, already cleaned and formatted the
// way the register expects) and the PLU command file written from it for each register.
#include "core/Read.h"
#include "reglink/TransferPanel.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace PluStaging {

// PLU numbers run from 51 up to the register's 16-bit limit.
constexpr int kPrimoOrdinale = 51;
constexpr int kUltimoOrdinale = 32767;
constexpr int kMaxRighe = kUltimoOrdinale - kPrimoOrdinale + 1;

// One staged row; every field but the number and the mark is text ready for the file.
struct RigaStaging
{
    int ordinale = 0;
    QString descrizione;
    QString barCode;
    QString quantita;
    QString prezzo;
    QString repartoAss;
    QString codArtMagazzino;
    QString um;
    bool modificato = false;
};

// Description as staged: the characters the register or the file reader cannot take removed or
// spelled out, commas made points, trimmed, at most 20 characters.
QString PulisciDescrizione(const QString& descrizione);
// An in-store code ("2..." not 5 long) is sent as its characters 3 to 7.
QString BarCodeDaInviare(const QString& barCode);
// "#####.000" with a point: 12.5 -> "12.500", 0.25 -> ".250"; Null, zero or negative stock -> "900.000".
QString FormattaQuantita(const QVariant& quantita);
// Two decimals with a point, no grouping: 1234.5 -> "1234.50", Null -> "0.00".
QString FormattaPrezzo(const QVariant& prezzo);

// The code of the first department with that description, 1 when none matches; a failed query is
// returned as such: no department is made up for the registers.
Letto<int> CodiceRepartoDaDescrizione(const QString& descrizione);

enum class [[nodiscard]] EsitoPreparazione{
    Preparata,   // the staging table was rebuilt
    Vuota,       // no article selected: the table is left as it was
    TroppeRighe, // full archive with more PLUs than numbers: refused, the table is left as it was
    Errore       // a database failure: nothing changed
};

// PreparaTabxInvio: fills MagazzinoPerQuidar from the articles (all, or only those marked as
// changed), today's promotion prices and the extra barcodes. Progress goes to lblTab.
EsitoPreparazione PreparaTabxInvio(bool soloModificati, PannelloTrasferimento& p,
                                   const QDate& oggi = QDate::currentDate());

// <program folder>/FilePLU<suffisso>.txt
QString percorsoFilePLU(const QString& suffisso);

enum class [[nodiscard]] EsitoFile{Scritto, Vuoto, Errore};

// ScriviFilePLU: writes the staged rows in barcode order; an old file is deleted first. With no
// staged row it says "Nessun Articolo da inviare!!!" and leaves no file. lblRecTot gets the row count.
EsitoFile ScriviFilePLU(const QString& suffisso, PannelloTrasferimento& p);

} // namespace PluStaging
