#pragma once
// Promotions (Offerte): an article's discounted price for a period. Read for the editor's frame,
// the promotions list and the start-up notice; written with the article's "changed" mark, all or
// nothing, so the next send carries it.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QDate>
#include <QList>
#include <QString>

namespace Articoli {

// One row of Offerte (Pezzi is always "1").
struct Offerta
{
    qint64 articolo = 0;
    QDate dal;
    QDate al;
    double scontoVal = 0;
    double scontoPer = 0;
    double przScnt = 0;
    // The discount was given in euro, not per cent.
    bool inEuro() const { return scontoVal != 0; }
};

// The article's first promotion by DataDAL, then as stored.
Letto<Offerta> offertaArticolo(qint64 articolo);
// The promotions starting on `dal` or later, by DataDAL, then as stored.
Letto<QList<Offerta>> offerteDal(const QDate& dal);

// Replaces the article's promotion of the same period and marks the article changed.
Esito sostituisciOfferta(const Offerta& o);
// Removes each promotion (its article and period; the article's other periods stay) and marks
// its article changed.
Esito eliminaOfferte(const QList<Offerta>& offerte);

// A promotion as the promotions list shows it and its report prints it.
struct TestiOfferta
{
    QString articolo;
    QString descrizione; // "NON TROVATO" for an article that is not there
    QString dal;
    QString al;
    QString scontoValore;
    QString scontoPercentuale;
    QString prezzoScontato;
};
// A failed read of the article is a failure, never "NON TROVATO".
Letto<TestiOfferta> testiOfferta(const Offerta& o);

// Whether some promotion starts and whether some ends on `giorno`.
struct OfferteDelGiorno
{
    bool iniziano = false;
    bool finiscono = false;
};
Letto<OfferteDelGiorno> offerteDelGiorno(const QDate& giorno);

} // namespace Articoli
