#pragma once
// [Cartelle]: the exchange folders. IN: where central-warehouse and price files arrive; OUT: the
// received PLU files and the not-transmitted file. Missing ("?") reads as empty.
#include <QString>

namespace Config {

struct Cartelle
{
    QString in;
    QString out;

    static Cartelle leggi();
    // Both keys as the settings window holds them; false when the file could not be written.
    [[nodiscard]] bool scrivi() const;

    // OUT for the command-file sender: when missing or empty, "C:" is written to the file and used,
    // so every later reader (the reception too) finds the same folder.
    static QString outPerComandi();
};

} // namespace Config
