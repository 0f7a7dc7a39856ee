#pragma once
// The article window's search is a read of the store: core/store/Ricerca.h.
#include "core/store/Ricerca.h"

namespace ArticleSearch = Articoli::Ricerca;
