#pragma once
// [Acquisizione]: how the registers' data are read back.
#include <QString>

namespace Config {

// Metodo: 2 the full dump, anything else (or missing) 1, article by article.
struct Acquisizione
{
    int metodo = 1;
    static Acquisizione leggi();
    [[nodiscard]] static bool scrivi(int metodo);
};

} // namespace Config
