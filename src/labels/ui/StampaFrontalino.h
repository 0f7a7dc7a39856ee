#pragma once
// "Stampa Front." of the article window: the label printer becomes the system default for as
// long as the label designer is open, and the default printer comes back on every path.
#include "core/Interaction.h"
#include "labels/ui/frmConfiguraLabel.h"

#include <optional>

namespace StampaFrontalino {

// Opens the designer modally for the articles `scelta` picks (and the article list's selected record `riga`).
// Refuses, with "Prima di proseguire definire la stampante per i Frontalini", when the label
// printer is not set or not installed. Returns whether the designer was opened.
bool cmdStampaFrontalino_Click(Interaction& interazione, ScegliFont& font, SceltaArticoli scelta,
                               std::optional<Articoli::ArticoloElencato> riga);

} // namespace StampaFrontalino
