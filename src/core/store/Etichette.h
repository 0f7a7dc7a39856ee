#pragma once
// The articles the label sheet prints, read from Magazzino by description: all of them, the
// changed ones, those marked for a shelf label, or either mark.
#include "core/Read.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

// One article to label, as the label query reads it.
struct ArticoloEtichetta
{
    QString descrizione;
    std::optional<double> costo;
    QString tipoMateriale; // the pack's net quantity in grams or millilitres, as typed
    QString codProdottoFornitore;
    QString barCode;
};

namespace Articoli {

enum class SceltaEtichette { Tutti, Modificati, Frontalini, FrontaliniOModificati };

Letto<QList<ArticoloEtichetta>> articoliEtichetta(SceltaEtichette scelta);

// A stored or typed number: a text is read with Italian settings ("1,50"); Null and anything
// that is not a number give none.
std::optional<double> numeroEtichetta(const QVariant& v);

} // namespace Articoli
