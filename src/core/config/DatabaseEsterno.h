#pragma once
// [DatabaseEsterno] of Setup.ini: the external Access database whose departments and articles
// are copied into the archive at start-up.
#include <QString>

namespace Config {

struct DatabaseEsterno
{
    QString quale; // full path of the external file; "?" when the key is missing

    // A path is set: neither missing ("?") nor empty.
    bool configurato() const;
    static DatabaseEsterno leggi();
    [[nodiscard]] static bool scrivi(const QString& quale);
};

} // namespace Config
