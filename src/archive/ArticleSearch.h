#pragma once
// The article search of the article window: one option, an optional department and an optional
// supplier become one SELECT over Magazzino. Every typed value is bound, never put in the text;
// like-wildcards typed by the user are literal.
#include <QString>
#include <QVariantList>

namespace ArticleSearch {

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

// Escapes %, _ and the escape character itself for LIKE ... ESCAPE '\'.
QString escapeLike(const QString& s);

// The value compared with Genere for a department description: the description itself when
// [Config] SalvaRepartoComeCODICE is "Falso" (a missing key is written "Falso"), else its code.
QString valoreReparto(const QString& descrizione);

// Builds the search query. `valoreReparto` is applied to a non-empty department.
Query costruisci(const Criteri& c);

} // namespace ArticleSearch
