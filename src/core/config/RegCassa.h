#pragma once
// [RegCassa]: the registers' lines (serial ports of registers 1-3 and their settings, the network
// address of register 1), the register model and the PiruNEX flag.
#include "core/AppState.h"

#include <QString>

namespace Config {

struct RegCassa
{
    ImpostazioniRegCassa porte;    // missing ports are empty; missing line settings take the defaults
    QString portaETH1;             // dotted address; empty when missing
    QString modello;               // the interchange word ("?" when missing, as stored)
    bool piruNEXImpostato = false; // PiruNEX as stored, missing = false (nothing written back)

    static RegCassa leggi();
    // Everything the settings window edits; false when the file could not be written.
    [[nodiscard]] bool scrivi() const;

    // PiruNEX: false only for "FALSO" in any case; missing or empty is written "Falso".
    static bool piruNEX();
    [[nodiscard]] static bool scriviPiruNEX(bool on);
};

// The line settings of a section with the defaults for missing keys ([BarCode] has the same keys).
LineSettings leggiLinea(const QString& sezione);

} // namespace Config
