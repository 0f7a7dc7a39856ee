#pragma once
// [BarCode]: the scanner's serial port and line.
#include "core/AppState.h"

namespace Config {

struct BarCode
{
    ImpostazioniBarCode porta; // a missing port is empty; missing line settings take the defaults
    static BarCode leggi();
};

} // namespace Config
