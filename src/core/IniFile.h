#pragma once
// Setup.ini access with the semantics of the old profile-file API: case-insensitive section and
// key names, trimmed values with one pair of quotes removed, values read cut at 254 characters,
// the caller's default for a missing key. Writes edit the one line in place, keep every other
// byte of the file, and replace the file atomically.
#include <QString>

// Returns the key's value, or `defaultValue` when the file, the section or the key is missing, or
// the file cannot be read whole.
QString LeggiINI(const QString& file, const QString& section, const QString& key, const QString& defaultValue);

// Writes section/key = value (CR and LF become blanks). Never throws; returns false when the
// file could not be read whole or written, so the caller can say so; a file that could not be
// read is never rewritten.
[[nodiscard]] bool ScriviINI(const QString& file, const QString& section, const QString& key, const QString& value);
[[nodiscard]] bool ScriviINIValore(const QString& file, const QString& section, const QString& key,
                                   const QString& value);
// The same for a default written back: only where the file, read whole, lacks the key or holds it
// empty or "?" (true, with nothing written, when it holds a value after all).
[[nodiscard]] bool ScriviINISeManca(const QString& file, const QString& section, const QString& key,
                                    const QString& value);

// Profile booleans: stored as "Vero"/"Falso", read as false only when the text is "FALSO" in any case.
inline QString iniBool(bool b)
{
    return b ? QStringLiteral("Vero") : QStringLiteral("Falso");
}
inline bool iniIsFalso(const QString& v)
{
    return v.toUpper() == QLatin1String("FALSO");
}
