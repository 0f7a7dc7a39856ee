#pragma once
// [STdiSISTEMA]: the printers chosen for A4 jobs and for shelf labels.
#include <QString>

namespace Config {

struct STdiSISTEMA
{
    QString predefinita; // empty when missing
    QString xFrontalini; // empty when missing
    static STdiSISTEMA leggi();
    // `chiave` "Predefinita" or "xFrontalini".
    [[nodiscard]] static bool scrivi(const QString& chiave, const QString& stampante);
};

} // namespace Config
