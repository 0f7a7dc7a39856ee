#pragma once
// The article archive's one store: the typed article and department records and every
// statement on Magazzino, Reparti, BarCodeUlteriori and Offerte that more than one subsystem
// needs (the next code, insert and update, look-ups, the delete with its dependent rows, the
// marks, the supplier list, whole-table reads). Values are always bound; a failed read is
// reported as such (Letto::ok false), never as "no rows".
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// One row of Magazzino. Null columns are std::nullopt (numbers) or a null QString (texts).
struct Articolo
{
    qint64 codMateriale = 0; // 0: not stored yet
    QString descrizione;
    std::optional<double> quantita; // "Quantità"
    std::optional<double> costo;    // sale price
    QString unitaMisura;
    std::optional<double> minimo;
    QString genere; // department code or description
    QString fornitore;
    bool eliminato = false;
    QString taglia;
    QString colore;
    QString tipoMateriale;
    QString barCode;
    std::optional<double> costo2; // purchase price
    QString codProdottoFornitore;
    std::optional<double> codPV; // VAT
    bool modificato = false;
    QString tipoVariazione;
    QString note;
    std::optional<double> periodoRiordino;
    QString codArtCEDI;
    QString dataInizioPromo; // ISO yyyy-MM-dd
    QString dataFinePromo;
    std::optional<double> prezzoPromo;
};

// One row of Reparti.
struct Reparto
{
    int cod = 0;
    QString descrizione;
    double iva = 0;
    double prezzoPrefissato = 0;
    int sconto = 0;
    bool noFiscale = false;
    QString percorsoIcon;
    QString icon;
};

namespace Articoli {

// The column list of Magazzino in the order Articolo declares them, for SELECTs.
QString colonne();

// Highest CodMateriale + 1, 1 for an empty table; nullopt when the query fails (its reason in
// *errore).
std::optional<qint64> nuovoCodice(QString* errore = nullptr);

// Look-ups. By barcode, supplier code and central-warehouse code the first row by CodMateriale
// is returned; texts are compared exactly (barcodes keep their leading zeros).
Letto<Articolo> perCodice(qint64 codice);
Letto<Articolo> perBarCode(const QString& barCode);
Letto<Articolo> perCodiceFornitore(const QString& codice);
Letto<Articolo> perCodiceCEDI(const QString& codice);
// The article an extra barcode belongs to (BarCodeUlteriori), by its first row.
Letto<qint64> codicePerBarCodeUlteriore(const QString& barCode);

// Adds the article. With codMateriale 0 it takes nuovoCodice(), written back into `a`.
Esito inserisci(Articolo& a);
// Rewrites every column of the row a.codMateriale; a missing row is an error.
Esito aggiorna(const Articolo& a);
// Removes the article with its extra barcodes and promotions, all or nothing.
Esito elimina(qint64 codice);
// Empties Magazzino, BarCodeUlteriori and Offerte together (renumbering imports).
Esito svuotaArchivio();

// The Modificato mark, with TipoVariazione when not null.
Esito marcaModificato(qint64 codice, bool modificato = true, const QString& tipoVariazione = {});

// Distinct non-empty suppliers in the order the database returns them.
Letto<QStringList> fornitori();

// Every article in CodMateriale order, or only those `where` selects (an SQL condition with
// '?' placeholders written by the program, never user text) with `values` bound.
// `visita` returns false to stop early. No row cap.
Esito perOgni(const std::function<bool(const Articolo&)>& visita, const QString& where = {},
              const QVariantList& values = {});

// Departments in Cod order.
Letto<QList<Reparto>> reparti();
Letto<Reparto> repartoPerCodice(int cod);
Esito aggiornaReparto(const Reparto& r);

// The code a cash register holds for a barcode: an in-store barcode ("2..." not 5 characters long)
// by its characters 3 to 7, any other barcode whole.
QString codiceInCassa(const QString& barCode);
// The first article, by CodMateriale, whose in-store barcode the registers hold as `codice`
// (codiceInCassa of its barcode). Exact barcodes are perBarCode's.
Letto<Articolo> perCodiceInCassa(const QString& codice);

// An article code typed or shown as text ("  12 "): the number, or nullopt when it is not one.
std::optional<qint64> codiceDaTesto(const QString& testo);

// The shelf-label mark (TipoVariazione): `alterna` turns empty, Null or "N" into "F" and "F" into
// "N" (other values stay); otherwise it writes "N".
Esito segnaFrontalino(qint64 codice, bool alterna);
// Lists a deleted article again, marked changed so the next send carries it.
Esito ripristina(qint64 codice);

// As perOgni, in description order (without regard to case, as the article list sorts), then by
// code: for whole-archive exports that stream their rows.
Esito perOgniPerDescrizione(const std::function<bool(const Articolo&)>& visita, const QString& where = {},
                            const QVariantList& values = {});

// Whether some article carries the "changed" mark (Modificato).
Letto<bool> ciSonoModificati();
// How many articles carry the shelf-label mark "F" or the "changed" mark.
Letto<qint64> contaFrontaliniOModificati();

// The VAT of the first department with that description; none when there is no such department
// or its VAT is Null.
Letto<double> ivaRepartoPerDescrizione(const QString& descrizione);

} // namespace Articoli
