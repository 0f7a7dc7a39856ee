#pragma once
// The article editor's rules: the record as its boxes show it, the new-code rule, the checks
// before a save, what a save and a deletion write (through the store, core/Articoli.h) and the
// boxes' key and text rules. Numbers travel as the texts of the boxes and are converted with the
// Italian rules before they are stored; a text that is not a number is refused.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QString>
#include <QStringList>
#include <optional>

struct ArticoloEditor
{
    QString descrizione;  // TxtDesc
    QString quantita;     // TxtQTA
    QString iva;          // txtIVA
    QString unita;        // txtUm
    QString costo;        // TxtCosto
    QString taglia;       // cbTaglie
    QString colore;       // cbColore
    QString barCode;      // LbLBarCode
    QString codFornitore; // txtCodArtFornitore
    QString genere;       // Genere as stored: a department code or description
    QString reparto;      // CboGenere text "Cod#Descrizione" (for a save)
    QString fornitore;    // CboFornitore
    QString acquisto;     // txtAcquisto
    QString pesoConf;     // txtPesoConf
};

namespace ArticleRules {

// Highest CodMateriale + 1 as text, "1" for an empty table; nullopt when the query fails.
std::optional<QString> nuovoCodice();

// The stored article as the editor's boxes show it; absent when there is no such row (or the code
// is no number), failed (logged) when the row could not be read. Prices keep two decimals unless
// the stored value has more, so an unchanged save rewrites the same numbers.
Letto<ArticoloEditor> carica(const QString& codice);

// The box that made the check fail.
enum class Campo { Nessuno, Desc, Qta, Acquisto, Um, Genere, Fornitore, Costo, Iva, CodFornitore };

struct [[nodiscard]] Verifica
{
    enum Esito { Ok, CampoVuoto, NonNumerico, BarCodeDoppio, ChiediCodFornitore, Errore } esito = Ok;
    Campo campo = Campo::Nessuno;
    QString messaggio; // the text to show, when there is one
};

// ControlloCampi without the user: empty required boxes, numbers, duplicate barcode (another
// article's main barcode, for a new article and an edit alike; an edit keeps its stored one), and
// whether the supplier-code question is due.
Verifica verifica(const ArticoloEditor& a, const QString& codiceModifica);

// [Config] keys, written with "Falso" when missing.
bool verificaCodiceFornitore();
bool salvaRepartoComeCodice();

// SalvaDatiMateriale: adds (codiceModifica empty) or rewrites the row and marks it Modificato and
// TipoVariazione "F". On success *codice receives the article's code.
Esito salva(const ArticoloEditor& a, const QString& codiceModifica, QString* codice = nullptr);

// Removes the article with its extra barcodes and promotions, all or nothing.
Esito elimina(const QString& codice);

// Lists of the editor's choice boxes. A failed read is logged and returned as such, never as an
// empty list.
Letto<QStringList> generi();    // "Cod#Descrizione" by Cod
Letto<QStringList> fornitori(); // distinct non-empty suppliers

// The description's cleaning when its box loses the focus.
QString pulisciDescrizione(const QString& s);

// The decimal key rule of the number boxes: digits and Backspace pass; a point becomes a comma and a
// comma passes only when the box is not empty and holds no comma yet; every other key is dropped.
int filtroDecimale(int keyAscii, const QString& current);

} // namespace ArticleRules
