#pragma once
// [TabCollegate] of Setup.ini: whether start-up links and copies the external database.
#include <QString>

namespace Config {

struct TabCollegate
{
    // False only when Gestione reads "FALSO" in any letter case; a missing key gives true.
    bool gestione = true;

    static TabCollegate leggi();
    [[nodiscard]] static bool scrivi(bool gestione); // stored as "Vero" / "Falso"
};

} // namespace Config
