#include "archive/SoldQuantities.h"

#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/VbConvert.h"
#include "core/store/Vendite.h"

#include <QHash>
#include <QtNumeric>

namespace SoldQuantities {

Venduto VisualizzaVendutoPLU(const QDate& dal, const QDate& al)
{
    Venduto v;
    const auto fallita = [&v](VbErr numero, const QString& descrizione) {
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("VisualizzaVendutoPLU"), numero, descrizione);
        v = Venduto{};
        v.ok = false;
        return v;
    };
    // One history row counts once even when several articles share its barcode: the article
    // only lends its description.
    const Letto<QList<Articoli::VenditaPLU>> vendite = Articoli::venditePLU(dal, al);
    if (!vendite.ok)
        return fallita(VbErr::DatabaseError, vendite.errore);
    QHash<QString, qsizetype> posizione;
    for (const Articoli::VenditaPLU& s : *vendite.valore) {
        // The view counts pieces: each row becomes a whole number before the rows are added, in
        // 64 bits, so a busy period is never cut by the 16-bit count of old.
        const std::optional<qint64> qta = Vb::interoLargo(s.qta);
        if (!qta)
            return fallita(VbErr::Overflow, QStringLiteral("EAN %1: quantità %2").arg(s.ean, Vb::cstr(s.qta)));
        const auto it = posizione.constFind(s.ean);
        if (it != posizione.constEnd()) {
            qint64& somma = v.righe[*it].qta;
            if (qAddOverflow(somma, *qta, &somma))
                return fallita(VbErr::Overflow, QStringLiteral("EAN %1: somma delle quantità").arg(s.ean));
            continue;
        }
        posizione.insert(s.ean, v.righe.size());
        RigaPLU r;
        r.ean = s.ean;
        r.descrizione = s.descrizione;
        r.qta = *qta;
        v.righe.append(r);
    }
    for (RigaPLU& r : v.righe)
        r.qtaTesto = QString::number(r.qta);
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
