#pragma once
// [Promozioni]: the promotions' reminder.
#include <QString>

namespace Config {

struct Promozioni
{
    static bool avvisoAttivo(); // AvvisoAttivo; missing or empty is written "Falso"
};

} // namespace Config
