#include "archive/SoldQuantities.h"

#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/VbConvert.h"
#include "core/store/Vendite.h"

#include <QHash>

namespace SoldQuantities {

Venduto VisualizzaVendutoPLU(const QDate& dal, const QDate& al)
{
    Venduto v;
    // One history row counts once even when several articles share its barcode: the article
    // only lends its description.
    const Letto<QList<Articoli::VenditaPLU>> vendite = Articoli::venditePLU(dal, al);
    if (!vendite.ok) {
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("VisualizzaVendutoPLU"), VbErr::DatabaseError,
                     vendite.errore);
        v.ok = false;
        return v;
    }
    QHash<QString, qsizetype> posizione;
    for (const Articoli::VenditaPLU& s : *vendite.valore) {
        const auto it = posizione.constFind(s.ean);
        if (it != posizione.constEnd()) {
            v.righe[*it].qta += s.qta;
            continue;
        }
        posizione.insert(s.ean, v.righe.size());
        RigaPLU r;
        r.ean = s.ean;
        r.descrizione = s.descrizione;
        r.qta = s.qta;
        v.righe.append(r);
    }
    for (RigaPLU& r : v.righe)
        r.qtaTesto = Vb::cstr(r.qta == 0 ? 0.0 : r.qta);
    v.totale = QString::number(v.righe.size());
    return v;
}

bool periodoValido(const QDate& dal, const QDate& al, Interaction& interazione)
{
    if (al < dal) {
        interazione.ask(QStringLiteral("ATTENZIONE!!! - Controllare il periodo selezionato (la Data Al non può essere "
                                       "precedente alla Data Dal) e riprovare"),
                        Interaction::Ok, Interaction::Icon::Warning, Interaction::NoButton, QStringLiteral("Tavrino"));
        return false;
    }
    return true;
}

} // namespace SoldQuantities
