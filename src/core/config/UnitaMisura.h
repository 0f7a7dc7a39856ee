#pragma once
// [UnitaMisura]: the units of measure the article editor offers, Unita1..Unita25.
#include <QStringList>

namespace Config {

struct UnitaMisura
{
    // Unita1..Unita7 missing get their defaults written ("Bot", "Pz", "Kg", "gr", "Lt", "Fogli",
    // "Spicchi"); then an empty first entry and the stored units up to the first missing key.
    static QStringList elenco();
};

} // namespace Config
