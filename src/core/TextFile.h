#pragma once
// Windows-1252 text files with CR LF line ends: the files registers, suppliers and the settings
// use. Reading accepts CR LF, LF or a lone CR; writing always produces CR LF.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TextFile {

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);
QStringList splitLines(const QString& text); // CR LF, LF or CR; a final line end adds no empty line

// Whole-file helpers; they report failure instead of throwing.
// False when the file cannot be opened or read whole (a read cut short is no file's end).
[[nodiscard]] bool readLines(const QString& path, QStringList& lines);
[[nodiscard]] bool writeLines(const QString& path, const QStringList& lines); // atomic replace
// Adds the line whole or not at all: a write cut short (a full disk, a file-size limit) is taken
// back, so a later retry does not follow half a line; a file it had to create is removed again.
[[nodiscard]] bool appendLine(const QString& path, const QString& line);
[[nodiscard]] bool writeAtomically(const QString& path, const QByteArray& bytes);

} // namespace TextFile
