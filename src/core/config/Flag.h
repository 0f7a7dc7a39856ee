#pragma once
// The settings file's on/off keys that are written "Falso" when missing, so the shop keeper finds
// them in the file to change.
#include <QString>
#include <optional>

namespace Config {

enum class Vuoto { Valore, Mancante }; // whether an empty value counts as missing

// False only for "FALSO" in any case; a missing key ("?", or empty with Vuoto::Mancante) is
// written "Falso" and read as false.
bool leggiFlag(const QString& sezione, const QString& chiave, Vuoto vuoto = Vuoto::Valore);

// Writes a missing key's default back, so the shop keeper finds it in the file: only where the
// file, read whole, lacks it or holds it empty or "?". A file that cannot be read or written is
// logged and left as it is; the default still holds for this run.
void scriviPredefinito(const QString& sezione, const QString& chiave, const QString& valore);

// The value of a key, or an empty text when it is missing ("?").
QString leggiTesto(const QString& sezione, const QString& chiave);
// The value of a key as stored (it may be empty); nullopt when it is missing ("?").
std::optional<QString> leggiValore(const QString& sezione, const QString& chiave);

} // namespace Config
