#pragma once
// An article as the article list holds it: the record read from Magazzino (its fields as stored)
// and the one routine that turns it into the texts the list shows. The stock report, the label
// designer and the list format through the same routine, so what is printed is what is shown.
#include "core/ErrorLog.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace Articoli {

// A stored value read as a number. SQLite gives numbers typed; text (old imports) is read with
// Italian settings.
enum class Numero { Ok, Null, NonNumero };
Numero leggiNumero(const QVariant& v, double& out);

// The number as the list shows it, two decimals read back: none for a Null or non-number.
std::optional<double> numeroMostrato(const QVariant& v);

// One row of Magazzino as listed. The values stay as stored: SQLite keeps whatever type an import
// wrote, and the texts depend on it. `mancanti` names the columns the SELECT did not return.
struct ArticoloElencato
{
    QVariant codMateriale;
    QVariant descrizione;
    QVariant genere;
    QVariant quantita;
    QVariant minimo;
    QVariant unitaMisura;
    QVariant costo;
    QVariant fornitore;
    QVariant taglia;
    QVariant colore;
    QVariant tipoMateriale;
    QVariant barCode;
    QVariant costo2;
    QVariant codProdottoFornitore;
    QVariant codPV;
    QVariant modificato;
    QStringList mancanti;
};

// Where each listed column sits in a SELECT * over Magazzino, found once per query.
class ColonneElenco
{
public:
    explicit ColonneElenco(const QSqlRecord& r);
    // -1 when the query has no Eliminato column.
    int eliminato() const { return m_eliminato; }
    ArticoloElencato leggi(const QSqlQuery& q) const;

private:
    int m_eliminato;
    QList<int> m_indici;
    QStringList m_mancanti;
};

// The texts of one listed article, one per column of the list ("Aggiornato" is always empty).
struct TestiArticolo
{
    QString codice;
    QString descrizione;
    QString reparto;
    QString quantita;
    QString minimo;
    QString unitaMisura;
    QString prezzoVendita;
    QString fornitore;
    QString taglia;
    QString colore;
    QString tipoMateriale;
    QString barCode;
    QString prezzoAcquisto;
    QString codiceFornitore;
    QString iva;
    QString pesoConf;
    QString ricarico;
};

// A failure met while formatting, for the list's log.
struct Anomalia
{
    VbErr errore;
    QString dettaglio;
};

struct ArticoloMostrato
{
    TestiArticolo testi;
    std::optional<double> valore; // quantity x sale price, when both are numbers
    bool esaurito = false;        // a quantity of 0 or less
    bool modificato = false;
    bool ricaricoBasso = false; // a mark-up shown below 35
    QList<Anomalia> anomalie;   // in the order met
};

// The mark-up from the sale and purchase prices as shown (two decimals read back) and the VAT
// percent: none when not computed; 0 when the price with VAT is zero. *fallito tells a failed step.
std::optional<double> valoreRicarico(double vendita, double acquisto, const QVariant& codPV, bool* fallito);

// Formats articles as the list shows them. Department names are read once, when first needed;
// repeated amounts, numbers and departments are formatted once.
class FormatoElenco
{
public:
    ArticoloMostrato mostra(const ArticoloElencato& a);
    TestiArticolo testi(const ArticoloElencato& a) { return mostra(a).testi; }
    // The driver's text when the department names could not be read: the texts show codes for them.
    const std::optional<QString>& erroreReparti() const { return m_erroreReparti; }

private:
    QString nomeReparto(int cod);
    std::optional<QString> testoReparto(const QVariant& genere); // none: beyond a 16-bit code
    QString importo(double d);
    QString testoNumero(const QVariant& v);

    bool m_repartiLetti = false;
    std::optional<QString> m_erroreReparti;
    QHash<int, QString> m_reparti;
    QHash<QString, std::optional<QString>> m_repartiDaTesto;
    QHash<double, QString> m_importi;
    QHash<double, QString> m_numeri;
};

} // namespace Articoli
