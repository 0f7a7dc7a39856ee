#include "reglink/ProtocolLog.h"

#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace RegLink {

QString percorsoLog()
{
    return Paths::inProgramFolder(QStringLiteral("LumbrataLOG.dat"));
}

QString nomeRotazione(const QDateTime& quando)
{
    const QDate d = quando.date();
    return QStringLiteral("LOG%1%2%3%4.bak")
        .arg(d.day())
        .arg(d.month())
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(quando.time().toString(QStringLiteral("hhmm")));
}

namespace {

// Moves the full log aside. A name already taken (a second rotation in the same minute) gets a
// suffix instead of losing the entry.
bool ruota(const QString& log, const QDateTime& quando)
{
    const QString cartella = Paths::inProgramFolder(QStringLiteral("Err"));
    if (!QDir().mkpath(cartella))
        return false;
    const QString nome = nomeRotazione(quando);
    QString dest = QDir(cartella).filePath(nome);
    for (int n = 2; QFileInfo::exists(dest) && n < 10000; ++n)
        dest = QDir(cartella).filePath(nome.chopped(4) + QStringLiteral("_%1.bak").arg(n));
    if (QFileInfo::exists(dest) || !QFile::rename(log, dest))
        return false;
    Attesa(100, InputUtente::SoloControlliVivi);
    return true;
}

} // namespace

void ScriviLog(const QString& testo)
{
    ScriviLog(testo, QDateTime::currentDateTime());
}

void ScriviLog(const QString& testo, const QDateTime& quando)
{
    const QString log = percorsoLog();
    // A failed rotation still writes the entry, into the oversized file: an entry is never lost.
    if (QFileInfo(log).size() > kLimiteLog)
        ruota(log, quando);
    // Whole or not at all, never through a link; an entry that cannot be written is lost, as
    // the protocol log's always were.
    const bool scritto = TextFile::appendLine(
        log, QStringLiteral("-%1-%2\r\n").arg(Vb::formatDate(quando.date()), Vb::formatTime(quando.time())) + testo);
    Q_UNUSED(scritto)
}

} // namespace RegLink
