#pragma once
// Backup of the data folder into a PLU_BCK folder under a folder the user picks, and the switch
// of the program to the database of another folder (a backup's Dati). Free space is asked of a
// Disco, so tests choose what the drive holds.
#include "core/ErrorLog.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace DataBackup {

constexpr qint64 kSpazioMinimo = 130000000; // bytes free on the target's drive

// Free bytes on the drive of a folder; negative when unknown.
class Disco
{
public:
    virtual ~Disco() = default;
    virtual qint64 spazioLibero(const QString& folder) const = 0;
};
// The system's drives.
const Disco& discoDiSistema();

// "PLU_BCK" + day + month (no leading zeros) + four-digit year + "hhmm".
QString nomeCartellaDatata(const QDateTime& quando);

// Copies `source` with all its files and subfolders to `destination` (which must not exist yet).
// Files named in `skip` (absolute paths) are left out. Stops at the first failure.
bool copiaCartella(const QString& source, const QString& destination, QString* error, const QStringList& skip = {});

struct [[nodiscard]] EsitoSalvataggio
{
    Esito esito;
    bool spazioInsufficiente = false;
    QString cartella;              // the backup folder made, when the backup is complete
    QString incompleta;            // a failed backup's copy that could not be removed, empty when none
    QStringList incompleteRimaste; // unfinished copies of earlier backups that could not be removed
};
// Copies the program's Dati folder into <folder>/PLU_BCK/Dati, or into a dated sibling of
// PLU_BCK when that exists (with a suffix when the dated one exists too). The open database
// is written through SQLite's own backup, so the copy is consistent. The copy is made in
// <folder>/PLU_BCK_INCOMPLETO (a suffix when taken) and takes its name only once complete: a
// failed one is removed, or stays under that name when it cannot be; the next backup removes such
// leftovers (links in them removed, never followed) before the free-space check, counting the room
// they free.
EsitoSalvataggio salvaDati(const QString& folder, const QDateTime& quando = QDateTime::currentDateTime(),
                           const Disco& disco = discoDiSistema());

// Whether `folder` is, or lies inside, a copy a backup left unfinished: never a source to restore.
bool inCopiaIncompleta(const QString& folder);

// The database file of a picked folder (DbNegozio.db in any letter case); empty when none.
QString trovaDatabase(const QString& folder);
// What switching to another database came to.
struct [[nodiscard]] EsitoCambio
{
    Esito esito;      // the switch
    Esito riapertura; // after a switch that failed once the database in use was closed: its reopening
};
// Checks the file on its own and only then switches the program to it; on failure the database
// in use is open again, unless riapertura failed: then the program has no database open.
EsitoCambio cambiaDatabase(const QString& path);

} // namespace DataBackup
