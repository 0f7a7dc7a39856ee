#pragma once
// What the article list shows, as SELECTs over Magazzino: the whole archive, the search of the
// article window (one option, an optional department and an optional supplier) and the logically
// deleted articles. Every typed value is bound, never put in the text; like-wildcards typed by
// the user are literal. Texts compare ignoring the case of every letter (à finds À, ÿ finds Ÿ).
#include "core/Read.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace Articoli::Ricerca {

enum Opzione {
    optDescrizione = 0,  // "Descr.": description prefix
    optBarCode = 1,      // "BC"
    optCodFornitore = 2, // "CodFornit."
    optPrezzoZero = 3,   // "Prz. 0"
    optQtaZero = 4,      // "Qta <= 0"
};

struct Criteri
{
    int opzione = optDescrizione;
    QString testo;     // Descrizione.Text
    QString reparto;   // Genere.Text (a department description)
    QString fornitore; // Fornitore.Text
};

struct Query
{
    QString sql;
    QVariantList valori;
};

// The text of the whole archive sorted by description (the full reload).
QString tuttoArchivio();
// The whole archive in stored order.
QString tutti();

// Escapes %, _ and the escape character itself for LIKE ... ESCAPE '\'.
QString escapeLike(const QString& s);

// The value compared with Genere for a department description: the description itself when
// [Config] SalvaRepartoComeCODICE is "Falso" (a missing key is written "Falso"), else its code.
// Failed when the code could not be read: no value would search right.
Letto<QString> valoreReparto(const QString& descrizione);

// Builds the search query. `valoreReparto` is applied to a non-empty department; its failed
// read fails the query. The query may call minuscole() (Db::minuscole), which only the program's
// connection knows.
Letto<Query> costruisci(const Criteri& c);

// A logically deleted article as the list of deleted ones shows it; the price as stored.
struct Eliminato
{
    QString codice;
    QString descrizione;
    QString barCode;
    QVariant costo;
};
// The logically deleted articles (a Null mark counts as deleted), by description.
Letto<QList<Eliminato>> eliminati();

} // namespace Articoli::Ricerca
