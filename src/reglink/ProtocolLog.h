#pragma once
// LumbrataLOG.dat in the program folder: two lines per entry ("-" date "-" time, then the text),
// rotated into Err/LOG<d><m><yyyy><hhmm>.bak once it grows past 360000 bytes.
#include <QDateTime>
#include <QString>

namespace RegLink {

constexpr qint64 kLimiteLog = 360000;

QString percorsoLog();
// The rotation name for `quando` ("LOG81220261405.bak"), without the folder.
QString nomeRotazione(const QDateTime& quando);

// Appends one entry; never raises. A rotation whose name is taken gets a suffix ("_2", "_3", ...).
void ScriviLog(const QString& testo);
void ScriviLog(const QString& testo, const QDateTime& quando);

} // namespace RegLink
