#include "core/store/Etichette.h"

#include "core/Database.h"
#include "core/VbConvert.h"

#include <QSqlError>
#include <cmath>

namespace Articoli {

namespace {

QString condizione(SceltaEtichette scelta)
{
    switch (scelta) {
    case SceltaEtichette::Modificati:
        return QStringLiteral("WHERE Modificato <> 0");
    case SceltaEtichette::Frontalini:
        return QStringLiteral("WHERE TipoVariazione = 'F'");
    case SceltaEtichette::FrontaliniOModificati:
        return QStringLiteral("WHERE TipoVariazione = 'F' OR Modificato <> 0");
    case SceltaEtichette::Tutti:
        break;
    }
    return {};
}

QString testo(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

} // namespace

std::optional<double> numeroEtichetta(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    if (v.typeId() == QMetaType::QString)
        return Vb::cdbl(v.toString());
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

Letto<QList<ArticoloEtichetta>> articoliEtichetta(SceltaEtichette scelta)
{
    using L = Letto<QList<ArticoloEtichetta>>;
    QSqlQuery q = Db::query(
        QStringLiteral("SELECT Descrizione, Costo, TipoMateriale, CodProdottoFornitore, BarCode FROM Magazzino ") +
        condizione(scelta) + QStringLiteral(" ORDER BY Descrizione"));
    if (!q.isActive())
        return L::fallito(q.lastError().text());
    QList<ArticoloEtichetta> out;
    while (q.next())
        out.append(
            {testo(q.value(0)), numeroEtichetta(q.value(1)), testo(q.value(2)), testo(q.value(3)), testo(q.value(4))});
    if (q.lastError().isValid())
        return L::fallito(q.lastError().text());
    return L::trovato(out);
}

} // namespace Articoli
