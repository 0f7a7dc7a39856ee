#include "core/ErrorLog.h"

#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cstdio>

QString descrizioneErrore(VbErr e)
{
    switch (e) {
    case VbErr::Overflow:
        return QStringLiteral("Overflow");
    case VbErr::DivisionByZero:
        return QStringLiteral("Divisione per zero");
    case VbErr::TypeMismatch:
        return QStringLiteral("Tipo non corrispondente");
    case VbErr::FileNotFound:
        return QStringLiteral("Impossibile trovare il file");
    case VbErr::FileAlreadyExists:
        return QStringLiteral("File già esistente");
    case VbErr::DeviceIO:
        return QStringLiteral("Errore di I/O della periferica");
    case VbErr::DiskFull:
        return QStringLiteral("Disco pieno");
    case VbErr::PermissionDenied:
        return QStringLiteral("Autorizzazione negata");
    case VbErr::PathNotFound:
        return QStringLiteral("Impossibile trovare il percorso");
    case VbErr::InvalidUseOfNull:
        return QStringLiteral("Utilizzo non valido di Null");
    case VbErr::DatabaseError:
        return QStringLiteral("Errore del database");
    case VbErr::DatabaseInUse:
        return QStringLiteral("L'archivio è in uso da un altro programma: riprovare più tardi");
    case VbErr::RowRefused:
        return QStringLiteral("Valori non ammessi dal database");
    case VbErr::DatabaseNotFound:
        return QStringLiteral("Impossibile trovare il database");
    case VbErr::NotADatabase:
        return QStringLiteral("Il file non è un database valido");
    }
    return QStringLiteral("Errore");
}

Esito Esito::fallito(VbErr e, const QString& detail)
{
    // SQLite's English for a held database says nothing to the user; the text says it all.
    if (e == VbErr::DatabaseInUse || (e == VbErr::DatabaseError && Db::inUso(detail)))
        return {false, int(VbErr::DatabaseInUse), descrizioneErrore(VbErr::DatabaseInUse)};
    // So is its "database or disk is full": the disk is full, said so (the driver's words follow
    // for the log); a full disk's text passed on stays one.
    const QString pieno = descrizioneErrore(VbErr::DiskFull);
    if (e == VbErr::DatabaseError &&
        (Db::discoPienoNelTesto(detail) || detail == pieno || detail.startsWith(pieno + QStringLiteral(": "))))
        e = VbErr::DiskFull;
    Esito r;
    r.ok = false;
    r.numero = int(e);
    r.descrizione = descrizioneErrore(e);
    // A detail that is already a failure's text of this kind (an Esito passed on) is not named twice.
    if (detail == r.descrizione || detail.startsWith(r.descrizione + QStringLiteral(": ")))
        r.descrizione = detail;
    else if (!detail.isEmpty())
        r.descrizione += QStringLiteral(": ") + detail;
    return r;
}

bool discoQuasiPieno(const QString& path)
{
    // The nearest folder that exists: the file itself may be gone or never made.
    QFileInfo fi(path);
    QString cartella = fi.isDir() ? fi.absoluteFilePath() : fi.absolutePath();
    while (!QFileInfo(cartella).isDir() && cartella.size() > 1)
        cartella = QFileInfo(cartella).absolutePath();
    const QStorageInfo s(cartella);
    return s.isValid() && s.isReady() && s.bytesAvailable() >= 0 && s.bytesAvailable() < kQuasiPieno;
}

QString lineaErrore(const QString& module, const QString& procedure, const QString& description, const QString& number)
{
    const QDateTime now = QDateTime::currentDateTime();
    return QStringLiteral("[-") + Vb::formatDate(now.date()) + QStringLiteral("-") + Vb::formatTime(now.time()) +
           QStringLiteral("- Des.:") + description + QStringLiteral(" Err.N.:") + number + QStringLiteral(" *-") +
           module + QStringLiteral("-") + procedure + QStringLiteral("-]");
}

namespace {

// Lines kept while nothing can be written: enough for a long outage, not a leak.
constexpr qsizetype kMaxInAttesa = 1000;

// The line in the log, else in the fallback log.
bool scriviRiga(const QString& line)
{
    const QDir dati(Paths::datiFolder());
    return TextFile::appendLine(dati.filePath(QStringLiteral("ErrorLog.dat")), line) ||
           TextFile::appendLine(dati.filePath(QStringLiteral("NewError.txt")), line);
}

} // namespace

bool ScriviErroriInAttesa()
{
    if (!Contesto::haStato())
        return true;
    auto& attesa = app().registroInAttesa;
    while (!attesa.righe.isEmpty()) {
        if (!scriviRiga(attesa.righe.constFirst()))
            return false;
        attesa.righe.removeFirst();
    }
    if (attesa.perse > 0) {
        if (!scriviRiga(lineaErrore(
                QStringLiteral("Funzioni"), QStringLiteral("ScriviErrore"),
                QStringLiteral("Righe del registro perse mentre non si poteva scrivere: %1").arg(attesa.perse),
                QString::number(int(VbErr::DiskFull)))))
            return false;
        attesa.perse = 0;
    }
    return true;
}

QStringList erroriInAttesa()
{
    return Contesto::haStato() ? app().registroInAttesa.righe : QStringList();
}

void ScriviErrore(const QString& module, const QString& procedure, const QString& description, const QString& number)
{
    QString line = lineaErrore(module, procedure, description, number);
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // The lines that waited go first, so the log keeps its order.
    if (ScriviErroriInAttesa() && scriviRiga(line))
        return;
    const QByteArray bytes = line.toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
    if (!Contesto::haStato())
        return;
    auto& attesa = app().registroInAttesa;
    if (attesa.righe.size() < kMaxInAttesa)
        attesa.righe.append(line);
    else
        ++attesa.perse;
}

void ScriviErrore(const QString& module, const QString& procedure, const Esito& esito)
{
    ScriviErrore(module, procedure, esito.descrizione, QString::number(esito.numero));
}

void ScriviErrore(const QString& module, const QString& procedure, VbErr e, const QString& detail)
{
    ScriviErrore(module, procedure, Esito::fallito(e, detail));
}

void ControllaDimensioneErrori()
{
    const QDir dati(Paths::datiFolder());
    const QString log = dati.filePath(QStringLiteral("ErrorLog.dat"));
    const QFileInfo fi(log);
    if (!fi.exists() || fi.size() <= 120000)
        return;
    const QString errDir = dati.filePath(QStringLiteral("Err"));
    if (!QDir().mkpath(errDir)) {
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("ControllaDimensioneErrori"), VbErr::PathNotFound,
                     errDir);
        return;
    }
    const QDir err(errDir);
    const QString bak = err.filePath(QStringLiteral("Errori.bak"));
    if (QFile::exists(bak)) {
        const QDateTime now = QDateTime::currentDateTime();
        const QString stem = QStringLiteral("Errori%1%2%3%4")
                                 .arg(now.date().day())
                                 .arg(now.date().month())
                                 .arg(now.date().year())
                                 .arg(Vb::formatTime(now.time()).replace(QLatin1Char('.'), QLatin1Char('_')));
        QString target = err.filePath(stem + QStringLiteral(".bak"));
        // A name already taken (two rotations in one second) gets a suffix, so no log is lost.
        for (int i = 1; QFile::exists(target); ++i)
            target = err.filePath(QStringLiteral("%1_%2.bak").arg(stem).arg(i));
        if (!QFile::rename(bak, target)) {
            ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("ControllaDimensioneErrori"),
                         VbErr::PermissionDenied, target);
            return;
        }
    }
    if (!QFile::rename(log, bak))
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("ControllaDimensioneErrori"), VbErr::PermissionDenied,
                     bak);
}
