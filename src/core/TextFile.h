#pragma once
// Windows-1252 text files with CR LF line ends: the files registers, suppliers and the settings
// use. Reading accepts CR LF, LF or a lone CR; writing always produces CR LF.
#include "core/ErrorLog.h"

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
[[nodiscard]] bool writeLines(const QString& path, const QStringList& lines,
                              Esito* motivo = nullptr); // atomic replace
// Adds the line whole or not at all: a write cut short (a full disk, a file-size limit) is taken
// back, so a later retry does not follow half a line; a file it had to create is removed again.
[[nodiscard]] bool appendLine(const QString& path, const QString& line, Esito* motivo = nullptr);
// What a whole-file write does with a link in the file's place: the program's own files in OUT,
// IN, Dati and the program folder refuse it; the user's settings files follow it, as the user
// made it (the file it names is replaced, the link stays).
enum class Collegamento { Rifiuta, Segui };
// The bytes go to "<folder>/.~<name>.tmp", are flushed to the disk and only then renamed over
// `path`, with the old file's permissions: on any failure (a byte not written, a full disk, a
// refused link) the old file stays as it was.
[[nodiscard]] bool writeAtomically(const QString& path, const QByteArray& bytes, Esito* motivo = nullptr,
                                   Collegamento collegamento = Collegamento::Rifiuta);

// Where the program writes, it follows no link: anyone who may write into OUT or IN could
// otherwise have the program create or overwrite files wherever its user may write. A symbolic
// link where one of its files is expected is refused, never written through nor replaced.
bool eCollegamento(const QString& path);
Esito rifiutoCollegamento(const QString& path); // the Italian refusal, naming the file

// The temporary name a whole-file write uses beside `path`: "<folder>/.~<name>.tmp".
QString temporaneo(const QString& path);

// A file opened for writing: its descriptor (owned by the caller), or -1 and why not.
struct Aperto
{
    int fd = -1;
    Esito motivo;
    explicit operator bool() const { return fd >= 0; }
};

// Opens `path` for writing without following a link (O_NOFOLLOW), making it when missing;
// `svuota` empties it, else writes go to its end.
Aperto apriSenzaCollegamenti(const QString& path, bool svuota);
// Makes `path` afresh: what is there is removed first (a link itself, never followed, only with
// `togliCollegamento`: for the program's own temporary names), then the file is created only
// while its name is free (O_EXCL | O_NOFOLLOW), so a link made meanwhile is not followed either.
Aperto creaNuovo(const QString& path, bool togliCollegamento = false);
// Copies `sorgente` into the new file `destinazione` (made afresh as creaNuovo does), on the disk
// before it returns true; on failure what was written is removed.
[[nodiscard]] bool copiaIntera(const QString& sorgente, const QString& destinazione, Esito* motivo = nullptr);
// Every byte, or false (short writes are continued, an interrupted call repeated).
[[nodiscard]] bool scriviTutto(int fd, const QByteArray& bytes);

} // namespace TextFile
