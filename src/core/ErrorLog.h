#pragma once
// ScriviErrore is the program's one error logger: every handler that catches a failure writes
// one line to Dati/ErrorLog.dat (else Dati/NewError.txt). A line neither file takes (a full disk)
// goes to stderr and waits in memory, in order and bounded, to be written before the next line
// once there is room; the article window shows it meanwhile. It never throws.
// The catalogue gives the few error numbers the program reports, with their Italian texts.
#include <QString>
#include <QStringList>

enum class VbErr : int {
    Overflow = 6,
    DivisionByZero = 11,
    TypeMismatch = 13,
    FileNotFound = 53,
    DeviceIO = 57, // the device failed a read or a write
    FileAlreadyExists = 58,
    DiskFull = 61,
    PermissionDenied = 70,
    PathNotFound = 76,
    InvalidUseOfNull = 94,
    DatabaseError = 3146,
    DatabaseInUse = 3218, // another program holds the database: it passes once that one is done
    RowRefused = 3317,    // the database refused the values of a row (a constraint or a trigger)
    DatabaseNotFound = 3024,
    NotADatabase = 3343,
};

QString descrizioneErrore(VbErr e);

// The outcome of one step: callers decide to stop or go on; nothing is thrown. A DatabaseError
// whose detail says that another program held the database (Db::inUso) is a DatabaseInUse, told
// in Italian, and one whose detail is SQLite's "database or disk is full" a DiskFull, whichever
// layer wrapped the driver's text.
struct [[nodiscard]] Esito
{
    bool ok = true;
    int numero = 0;
    QString descrizione;

    static Esito riuscito() { return {}; }
    static Esito fallito(VbErr e, const QString& detail = {});
    explicit operator bool() const { return ok; }
};

// Whether the file system holding `path` (a file or folder, made or not) has next to no room
// left: what a write there that failed most likely met. Asked before the failed write's leftovers
// are removed, which would free their room again.
constexpr qint64 kQuasiPieno = 1024 * 1024;
bool discoQuasiPieno(const QString& path);

// The log line: "[-" date "-" time "- Des.:" description " Err.N.:" number " *-" module "-" procedure "-]"
QString lineaErrore(const QString& module, const QString& procedure, const QString& description, const QString& number);

void ScriviErrore(const QString& module, const QString& procedure, const QString& description, const QString& number);
void ScriviErrore(const QString& module, const QString& procedure, const Esito& esito);
void ScriviErrore(const QString& module, const QString& procedure, VbErr e, const QString& detail = {});

// Writes the lines waiting for room, oldest first, as far as they go; true when none is left.
bool ScriviErroriInAttesa();
// The lines still waiting, oldest first.
QStringList erroriInAttesa();

// Rotates Dati/ErrorLog.dat into Dati/Err/Errori.bak once it is larger than 120000 bytes.
void ControllaDimensioneErrori();
