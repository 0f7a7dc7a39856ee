#pragma once
// The article window's "Stampa Front.": the label designer for the marked or selected articles.
class Magazzino;
class ScegliFont;

// `font`: the window's font dialog, which keeps its choice.
void collegaStampaFrontalino(Magazzino& w, ScegliFont& font);
