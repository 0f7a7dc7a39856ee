#pragma once
// [InterfacciaUtente]: the windows' colour and background picture.
#include <QString>

namespace Config {

struct InterfacciaUtente
{
    QString colore;    // decimal text as stored; "?" when missing
    QString imgSfondo; // empty when missing
    static InterfacciaUtente leggi();
    [[nodiscard]] bool scrivi() const;
};

} // namespace Config
