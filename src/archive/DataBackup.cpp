#include "archive/DataBackup.h"

#include "core/Database.h"
#include "core/Paths.h"
#include "core/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DataBackup {

namespace {

class DiscoDiSistema final : public Disco
{
public:
    qint64 spazioLibero(const QString& folder) const override
    {
        const QStorageInfo s(folder);
        return s.isValid() && s.isReady() ? s.bytesAvailable() : -1;
    }
};

QString canonico(const QString& path)
{
    const QFileInfo fi(path);
    const QString c = fi.canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : c;
}

bool dentro(const QString& path, const QString& folder)
{
    const QString p = canonico(path);
    const QString f = canonico(folder);
    return p == f || p.startsWith(f + QLatin1Char('/'));
}

// A backup is copied under this name and takes its own only once it is complete, so a folder
// named as a backup always holds a whole one. A failed copy that cannot be removed keeps it.
const QString kIncompleta = QStringLiteral("PLU_BCK_INCOMPLETO");

bool incompletaDiNome(const QString& nome)
{
    static const QRegularExpression re(QStringLiteral("^PLU_BCK_INCOMPLETO(_[0-9]+)?$"));
    return re.match(nome).hasMatch();
}

// Past this depth a tree is not ours: nothing deeper is measured or removed.
constexpr int kProfonditaMassima = 64;

// What `visita` is told of each entry from `padre`/`nome` down, children before their folder; links are
// entries of their own, never followed. False when something could not be read.
bool percorriAlbero(int padre, const char* nome, int profondita,
                    const std::function<bool(int padre, const char* nome, const struct stat& st)>& visita)
{
    struct stat st;
    if (fstatat(padre, nome, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISDIR(st.st_mode)) {
        if (profondita >= kProfonditaMassima)
            return false;
        const int fd = openat(padre, nome, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        DIR* d = fdopendir(fd);
        if (!d) {
            close(fd);
            return false;
        }
        // The names first: the visit may remove entries while the folder is read.
        std::vector<QByteArray> figli;
        errno = 0;
        while (const dirent* e = readdir(d)) {
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                figli.emplace_back(e->d_name);
            errno = 0;
        }
        bool ok = errno == 0;
        for (const QByteArray& f : figli)
            ok = percorriAlbero(dirfd(d), f.constData(), profondita + 1, visita) && ok;
        closedir(d);
        if (!ok)
            return false;
    }
    return visita(padre, nome, st);
}

// The room removing the tree frees: the blocks no other link keeps.
qint64 spazioDi(const QString& path)
{
    qint64 totale = 0;
    const QByteArray nome = QFile::encodeName(path);
    const bool ok = percorriAlbero(AT_FDCWD, nome.constData(), 0, [&totale](int, const char*, const struct stat& st) {
        if (S_ISDIR(st.st_mode) || st.st_nlink <= 1)
            totale += qint64(st.st_blocks) * 512;
        return true;
    });
    return ok ? totale : 0;
}

// Removes the tree at `path`; a link in it is removed, never what it points to.
bool rimuoviAlbero(const QString& path)
{
    const QByteArray nome = QFile::encodeName(path);
    return percorriAlbero(AT_FDCWD, nome.constData(), 0, [](int padre, const char* n, const struct stat& st) {
        return unlinkat(padre, n, S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) == 0;
    });
}

// The first of `name` and, with `suffisso`, name_2, name_3, ... that `parent` does not hold yet, so
// a backup never goes into an earlier one; empty when none is free.
QString nomeLibero(const QDir& parent, const QString& name, bool suffisso)
{
    for (int n = 1; n < (suffisso ? 1000 : 2); ++n) {
        const QString candidate = n == 1 ? name : name + QLatin1Char('_') + QString::number(n);
        if (!QFileInfo(parent.filePath(candidate)).isSymLink() && !parent.exists(candidate))
            return candidate;
    }
    return {};
}

} // namespace

const Disco& discoDiSistema()
{
    static const DiscoDiSistema d;
    return d;
}

QString nomeCartellaDatata(const QDateTime& quando)
{
    const QDate d = quando.date();
    return QStringLiteral("PLU_BCK") + QString::number(d.day()) + QString::number(d.month()) +
           QString::number(d.year()).rightJustified(4, QLatin1Char('0')) +
           quando.time().toString(QStringLiteral("hhmm"));
}

bool copiaCartella(const QString& source, const QString& destination, QString* error, const QStringList& skip)
{
    const QDir src(source);
    if (!src.exists()) {
        if (error)
            *error = QStringLiteral("cartella mancante: ") + source;
        return false;
    }
    if (QFileInfo::exists(destination) || !QDir().mkpath(destination)) {
        if (error)
            *error = QStringLiteral("impossibile creare ") + destination;
        return false;
    }
    const QFileInfoList entries =
        src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& fi : entries) {
        const QString target = QDir(destination).filePath(fi.fileName());
        if (fi.isDir() && !fi.isSymLink()) {
            if (!copiaCartella(fi.absoluteFilePath(), target, error, skip))
                return false;
            continue;
        }
        if (skip.contains(fi.absoluteFilePath()))
            continue;
        // Every byte on the disk, or the backup fails: a full stick must not give a backup that
        // looks whole.
        if (Esito motivo; !TextFile::copiaIntera(fi.absoluteFilePath(), target, &motivo)) {
            if (error)
                *error = motivo.descrizione;
            return false;
        }
    }
    return true;
}

EsitoSalvataggio salvaDati(const QString& folder, const QDateTime& quando, const Disco& disco)
{
    EsitoSalvataggio r;
    const QString dati = Paths::datiFolder();
    if (!QFileInfo(folder).isDir()) {
        r.esito = Esito::fallito(VbErr::PathNotFound, folder);
        return r;
    }
    // A backup inside the data folder would copy itself without end.
    if (dentro(folder, dati)) {
        r.esito = Esito::fallito(VbErr::PermissionDenied);
        r.esito.descrizione = QStringLiteral("La cartella scelta (%1) è la cartella dei dati o sta dentro di essa: "
                                             "una copia di sicurezza va salvata in un'altra cartella, meglio su un "
                                             "altro disco o una chiavetta USB.")
                                  .arg(QDir::toNativeSeparators(folder));
        return r;
    }
    const qint64 libero = disco.spazioLibero(folder);
    // The copies earlier backups left unfinished are ours and of no use: they go first, and the
    // room they free counts.
    qint64 liberato = 0;
    const QDir cartella(folder);
    for (const QString& nome :
         cartella.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (!incompletaDiNome(nome))
            continue;
        const QString path = cartella.filePath(nome);
        const qint64 spazio = spazioDi(path);
        if (rimuoviAlbero(path))
            liberato += spazio;
        else
            r.incompleteRimaste << path;
    }
    // Unknown space (a folder that is not there) is left to the copy, which then fails.
    if (libero >= 0 && libero + liberato < kSpazioMinimo) {
        r.spazioInsufficiente = true;
        r.esito = Esito::fallito(VbErr::DiskFull, folder);
        return r;
    }
    const QDir parent(folder);
    const QString primo = QStringLiteral("PLU_BCK");
    const bool datata = QFileInfo(parent.filePath(primo)).isDir();
    const QString nome = datata ? nomeCartellaDatata(quando) : primo;
    if (nomeLibero(parent, nome, datata).isEmpty()) {
        r.esito = Esito::fallito(VbErr::PathNotFound, parent.filePath(nome));
        return r;
    }
    const QString nomeLavoro = nomeLibero(parent, kIncompleta, true);
    if (nomeLavoro.isEmpty() || !parent.mkdir(nomeLavoro)) {
        r.esito = Esito::fallito(VbErr::PathNotFound, parent.filePath(kIncompleta));
        return r;
    }
    const QString lavoro = parent.filePath(nomeLavoro);

    // The open database is copied by SQLite itself (a consistent snapshot); its journal is not
    // wanted in the copy.
    QStringList skip;
    QString dbAperto;
    if (Db::isOpen() && !Db::currentPath().isEmpty() && dentro(Db::currentPath(), dati)) {
        dbAperto = QFileInfo(Db::currentPath()).absoluteFilePath();
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            skip << dbAperto + QLatin1String(suffix);
    }
    const QString destDati = QDir(lavoro).filePath(QStringLiteral("Dati"));
    QString err;
    bool ok = copiaCartella(dati, destDati, &err, skip);
    if (ok && !dbAperto.isEmpty()) {
        const QString rel = QDir(canonico(dati)).relativeFilePath(canonico(dbAperto));
        QSqlQuery q(Db::dbNegozio());
        ok = q.prepare(QStringLiteral("VACUUM INTO ?"));
        const QString copiaDb = QDir(destDati).filePath(rel);
        if (ok) {
            q.addBindValue(copiaDb);
            ok = q.exec();
        }
        if (!ok)
            err = q.lastError().text();
        // SQLite's copy on the disk too before the backup takes its name.
        if (ok) {
            QFile f(copiaDb);
            ok = f.open(QIODevice::ReadWrite) && ::fsync(f.handle()) == 0;
            if (!ok)
                err = Esito::fallito(VbErr::DiskFull, copiaDb).descrizione;
        }
    }
    // Complete: it takes its name (the next free one, should another backup have taken it).
    if (ok) {
        const QString finale = nomeLibero(parent, nome, datata);
        ok = !finale.isEmpty() && QDir(folder).rename(nomeLavoro, finale);
        if (ok)
            r.cartella = parent.filePath(finale);
        else
            err = QStringLiteral("impossibile rinominare ") + lavoro;
    }
    if (!ok) {
        // Asked before the partial copy goes, which frees its room again.
        r.esito = Esito::fallito(discoQuasiPieno(lavoro) ? VbErr::DiskFull : VbErr::PermissionDenied, err);
        if (!QDir(lavoro).removeRecursively())
            r.incompleta = lavoro;
    }
    return r;
}

bool inCopiaIncompleta(const QString& folder)
{
    for (const QString& path : {QDir::cleanPath(QFileInfo(folder).absoluteFilePath()), canonico(folder)})
        for (const QString& parte : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            if (incompletaDiNome(parte))
                return true;
    return false;
}

QString trovaDatabase(const QString& folder)
{
    const QDir d(folder);
    if (folder.isEmpty() || !d.exists())
        return {};
    const QFileInfoList files = d.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& fi : files)
        if (fi.fileName().compare(QLatin1String("DbNegozio.db"), Qt::CaseInsensitive) == 0)
            return fi.absoluteFilePath();
    return {};
}

EsitoCambio cambiaDatabase(const QString& path)
{
    EsitoCambio r;
    r.esito = Db::verificaDatabase(path, {QStringLiteral("Magazzino"), QStringLiteral("Reparti")});
    if (!r.esito)
        return r;
    const QString precedente = Db::currentPath();
    r.esito = Db::ApriDatabase(path);
    if (!r.esito && !precedente.isEmpty())
        r.riapertura = Db::ApriDatabase(precedente);
    return r;
}

} // namespace DataBackup
