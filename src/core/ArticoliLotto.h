#pragma once
// The article table's look-ups and writes for work over many rows: price-list and
// central-warehouse imports, bookings of received files. Each statement is prepared once, on its
// first use, and run inside the caller's Db::Transaction (nothing here opens one). The rules are
// those of the single-row functions in core/Articoli.h: values bound, texts compared exactly, the
// first row by CodMateriale, a failed read reported as such.
#include "core/Articoli.h"

#include <QStringList>
#include <memory>

namespace Articoli {

// The stock of one article as a booking sees it.
struct Giacenza
{
    qint64 codice = 0;
    std::optional<double> quantita; // Null stays Null
};

class Lotto
{
public:
    // `colonne`: the Magazzino columns (names as in colonne(); empty: every column) that the
    // whole-row look-ups read and aggiorna() writes, besides CodMateriale. A row read here keeps
    // Articolo's defaults in the other fields: it is for aggiorna(), which writes back exactly
    // what was read, so a column the import does not set keeps what the article had.
    explicit Lotto(const QStringList& colonne = {});
    ~Lotto();
    Lotto(const Lotto&) = delete;
    Lotto& operator=(const Lotto&) = delete;

    // The driver's text of the last failure.
    const QString& errore() const;

    // Whole rows (the columns chosen at construction). By barcode and supplier code a one-column probe runs first: most
    // look-ups of an import find nothing, and a whole row costs the driver far more to describe than a code.
    Letto<Articolo> perBarCode(const QString& barCode);
    Letto<Articolo> perCodiceFornitore(const QString& codice);
    Letto<Articolo> perCodiceCEDI(const QString& codice);
    // The codes of every article with that central-warehouse code, by CodMateriale.
    Letto<QList<qint64>> codiciPerCodiceCEDI(const QString& codice);

    Letto<qint64> codicePerCodiceCEDI(const QString& codice);
    Letto<qint64> codicePerBarCodeUlteriore(const QString& barCode);
    // Whether an article with that central-warehouse code carries that barcode.
    Letto<bool> esisteCodiceCEDIConBarCode(const QString& codice, const QString& barCode);

    Letto<Giacenza> giacenzaPerBarCode(const QString& barCode);
    Letto<Giacenza> giacenzaPerCodice(qint64 codice);

    // As Articoli::inserisci: code 0 takes nuovoCodice(), written back into `a`.
    Esito inserisci(Articolo& a);
    // As Articoli::aggiorna, writing the columns chosen at construction. Here and below a
    // missing row is an error.
    Esito aggiorna(const Articolo& a);
    // Sets BarCode and the Modificato mark.
    Esito impostaBarCode(qint64 codice, const QString& barCode);
    Esito impostaQuantita(qint64 codice, double quantita);

private:
    struct Dati;
    std::unique_ptr<Dati> d;
};

} // namespace Articoli
