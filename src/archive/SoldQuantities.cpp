#include "archive/SoldQuantities.h"

#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/VbConvert.h"
#include "core/store/Vendite.h"

#include <QHash>
#include <QtNumeric>
#include <cmath>
#include <optional>

namespace SoldQuantities {

namespace {

// A quantity in thousandths, rounded half away from zero; none when no count can hold it.
std::optional<qint64> inMillesimi(double qta)
{
    const double m = std::round(qta * 1000.0);
    // 2^63 is exact as a double; anything from there on does not fit.
    if (!std::isfinite(m) || m >= 9223372036854775808.0 || m < -9223372036854775808.0)
        return std::nullopt;
    return qint64(m);
}

} // namespace

QString testoQuantita(qint64 millesimi)
{
    // Unsigned, so the most negative count has a magnitude too.
    const quint64 assoluto = millesimi < 0 ? 0 - quint64(millesimi) : quint64(millesimi);
    QString t = QString::number(assoluto / 1000);
    if (const quint64 decimali = assoluto % 1000) {
        QString d = QString::number(decimali).rightJustified(3, QLatin1Char('0'));
        while (d.endsWith(QLatin1Char('0')))
            d.chop(1);
        t += QLatin1Char(',') + d;
    }
    return millesimi < 0 ? QLatin1Char('-') + t : t;
}

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
        // Weighed goods come with up to three decimals: each row counts in thousandths, so the
        // sum is exact and a busy period is never cut by the 16-bit count of old.
        const std::optional<qint64> millesimi = inMillesimi(s.qta);
        if (!millesimi)
            return fallita(VbErr::Overflow, QStringLiteral("EAN %1: quantità %2").arg(s.ean, Vb::cstr(s.qta)));
        const auto it = posizione.constFind(s.ean);
        if (it != posizione.constEnd()) {
            qint64& somma = v.righe[*it].millesimi;
            if (qAddOverflow(somma, *millesimi, &somma))
                return fallita(VbErr::Overflow, QStringLiteral("EAN %1: somma delle quantità").arg(s.ean));
            continue;
        }
        posizione.insert(s.ean, v.righe.size());
        RigaPLU r;
        r.ean = s.ean;
        r.descrizione = s.descrizione;
        r.millesimi = *millesimi;
        v.righe.append(r);
    }
    for (RigaPLU& r : v.righe)
        r.qtaTesto = testoQuantita(r.millesimi);
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
