#pragma once
// The article window's "Stampa Front.": the label designer for the marked or selected articles.
class Magazzino;

void collegaStampaFrontalino(Magazzino& w);
