#pragma once
// [DataSistema] Data: the latest date the program started on, to notice a clock set back.
#include <QDate>
#include <QString>
#include <optional>

namespace Config {

struct DataSistema
{
    std::optional<QString> data; // as stored (it may not be a date); nullopt when missing

    static DataSistema leggi();
    [[nodiscard]] static bool scrivi(const QDate& d); // "dd/mm/yyyy"; false when the file could not be written
};

} // namespace Config
