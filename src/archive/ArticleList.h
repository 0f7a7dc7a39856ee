#pragma once
// The article list's contents: its fixed 18-column layout, the row colours and the load that
// fills it from a filter over Magazzino. Each row keeps the record it was made from, which the
// reports and the label designer read. The load copies the rows out and closes its query before
// anything is written.
#include "archive/ArticleSearch.h"
#include "core/ColonneLista.h"
#include "core/Read.h"
#include "core/store/Offerte.h"
#include "core/store/RigaElenco.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <optional>

// One row of a report-style list: its cell texts and their text colours (invalid = normal colour),
// and the record it was made from in the article and promotions lists.
struct RigaLista
{
    QStringList testo;
    QList<QColor> colore;
    std::optional<Articoli::ArticoloElencato> articolo;
    std::optional<Articoli::Offerta> offerta;

    explicit RigaLista(int colonne = 0) : testo(colonne), colore(colonne) {}
};

namespace ArticleList {

using namespace ColonneLista;
constexpr int kMaxRighe = 1000;

const QStringList& intestazioni();

inline QColor rosso()
{
    return QColor(255, 0, 0);
}
inline QColor verde()
{
    return QColor(0, 255, 0);
}
inline QColor blu()
{
    return QColor(0, 0, 255);
}

// Result of one load: what goes into the list and the totals.
struct [[nodiscard]] Caricamento
{
    bool aperto = true; // false when the rows could not be read whole: no rows, nothing to show
    bool inUso = false; // ... because another program held the database
    QString errore;     // ... the driver's text (not logged: the caller tells and logs it)
    qint64 totVoci = 0; // records of the query, deleted ones included (lblTotVociMaga)
    int listate = 0;    // listed rows (TotRicorrenze, lblTotArt)
    double valore = 0;  // stock value of the listed rows (totValore)
    QList<RigaLista> righe;
};

// What the list shows: the whole archive, in stored order or by description, or a search.
struct Filtro
{
    enum class Tipo { Tutti, TuttiPerDescrizione, Ricerca };
    Tipo tipo = Tipo::TuttiPerDescrizione;
    ArticleSearch::Criteri criteri; // with Tipo::Ricerca

    static Filtro tutti() { return {Tipo::Tutti, {}}; }
    static Filtro perDescrizione() { return {Tipo::TuttiPerDescrizione, {}}; }
    static Filtro ricerca(const ArticleSearch::Criteri& c) { return {Tipo::Ricerca, c}; }
};

// Reads the rows of the filter: skips deleted rows, stops after 1000 listed rows, fills and
// colours the cells (texts from Articoli::FormatoElenco). A cell's failure is logged under
// "Magazzino"/"CaricaMagazzino" and the load goes on with the next cell. A read that fails (the
// query, a row part-way, the department names, the search's department) fails the whole load:
// a part of the list would look like all of it.
Caricamento leggi(const Filtro& f);
// The same for a SELECT over Magazzino built by the logic, such as ArticleSearch's (values
// bound in order).
Caricamento leggi(const QString& sql, const QVariantList& valori = {});

// The totals as the window shows them.
QString testoValore(double valore); // six decimals
QString testoConteggio(qint64 n);

// The shelf-label mark of one article: ticked box toggles F/N (empty or Null becomes F, other
// values stay), unticked writes N. Nothing happens with `salta`. False when the write failed.
bool ImpostaTipoVariazione(const QString& codice, bool salta, bool perFrontalini);
// The same for many articles, in one transaction.
bool ImpostaTipoVariazione(const QStringList& codici, bool perFrontalini);

// The logically deleted articles (code, description, barcode, sale price), by description. A
// failed read is logged and returned as such, never as "none deleted".
Letto<QList<RigaLista>> eliminati();
// Lists a deleted article again; it is marked changed so the next send carries it.
bool ripristina(const QString& codice);

} // namespace ArticleList
