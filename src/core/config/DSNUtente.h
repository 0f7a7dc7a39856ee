#pragma once
// [DSNUtente] Creato: whether the spreadsheet data source has been made.
namespace Config {

struct DSNUtente
{
    [[nodiscard]] static bool scriviCreato(); // Creato=Vero; false when the file could not be written
};

} // namespace Config
