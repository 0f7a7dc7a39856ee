#include "core/TextFile.h"

#include "core/ErrorLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TextFile {

QString decode(const QByteArray& bytes)
{
    // Plain ASCII reads the same in every code page, and most files are just that.
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder dec("windows-1252");
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    return dec.decode(bytes);
}

QByteArray encode(const QString& text)
{
    QStringEncoder enc("windows-1252", QStringConverter::Flag::Default);
    if (!enc.isValid())
        return text.toLatin1();
    QByteArray out = enc.encode(text);
    return out;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

bool readLines(const QString& path, QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    lines = splitLines(decode(bytes));
    return true;
}

namespace {

QByteArray nomeDiSistema(const QString& path)
{
    return QFile::encodeName(path);
}

// The reason of the last failed system call, in the program's words, naming the file.
Esito motivoErrno(int err, const QString& path)
{
    VbErr e = VbErr::DeviceIO;
    switch (err) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        e = VbErr::DiskFull;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        e = VbErr::PermissionDenied;
        break;
    case ENOENT:
    case ENOTDIR:
        e = VbErr::PathNotFound;
        break;
    case ELOOP:
    case EMLINK:
        return rifiutoCollegamento(path);
    default:
        break;
    }
    return Esito::fallito(e, path);
}

void imposta(Esito* motivo, const Esito& e)
{
    if (motivo)
        *motivo = e;
}

// The folder's entry made lasting too: a rename is on the disk only once its folder is.
void sincronizzaCartella(const QString& path)
{
    const int d = ::open(nomeDiSistema(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d < 0)
        return;
    ::fsync(d);
    ::close(d);
}

} // namespace

bool eCollegamento(const QString& path)
{
    struct stat st = {};
    return ::lstat(nomeDiSistema(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

Esito rifiutoCollegamento(const QString& path)
{
    return {false, int(VbErr::PermissionDenied),
            QStringLiteral("Collegamento simbolico al posto del file, non seguito: ") + path};
}

QString temporaneo(const QString& path)
{
    const QFileInfo fi(path);
    return fi.dir().filePath(QStringLiteral(".~") + fi.fileName() + QStringLiteral(".tmp"));
}

Aperto apriSenzaCollegamenti(const QString& path, bool svuota)
{
    Aperto a;
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | (svuota ? O_TRUNC : O_APPEND);
    a.fd = ::open(nomeDiSistema(path).constData(), flags, 0666);
    if (a.fd < 0) {
        const int err = errno;
        a.motivo = eCollegamento(path) ? rifiutoCollegamento(path) : motivoErrno(err, path);
    }
    return a;
}

Aperto creaNuovo(const QString& path, bool togliCollegamento)
{
    Aperto a;
    const QByteArray nome = nomeDiSistema(path);
    struct stat st = {};
    if (::lstat(nome.constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode) && !togliCollegamento) {
            a.motivo = rifiutoCollegamento(path);
            return a;
        }
        if (::unlink(nome.constData()) != 0) {
            a.motivo = motivoErrno(errno, path);
            return a;
        }
    }
    a.fd = ::open(nome.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (a.fd < 0) {
        const int err = errno;
        a.motivo = eCollegamento(path) ? rifiutoCollegamento(path) : motivoErrno(err, path);
    }
    return a;
}

bool scriviTutto(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype resto = bytes.size();
    while (resto > 0) {
        const ssize_t n = ::write(fd, p, size_t(resto));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        p += n;
        resto -= n;
    }
    return true;
}

bool copiaIntera(const QString& sorgente, const QString& destinazione, Esito* motivo)
{
    QFile in(sorgente);
    if (!in.open(QIODevice::ReadOnly)) {
        imposta(motivo, Esito::fallito(VbErr::FileNotFound, sorgente + QStringLiteral(": ") + in.errorString()));
        return false;
    }
    const Aperto a = creaNuovo(destinazione);
    if (!a) {
        imposta(motivo, a.motivo);
        return false;
    }
    bool ok = true;
    int err = 0;
    for (;;) {
        const QByteArray blocco = in.read(1 << 20);
        if (in.error() != QFileDevice::NoError) {
            imposta(motivo, Esito::fallito(VbErr::DeviceIO, sorgente + QStringLiteral(": ") + in.errorString()));
            ok = false;
            break;
        }
        if (blocco.isEmpty())
            break;
        if (!scriviTutto(a.fd, blocco)) {
            err = errno;
            ok = false;
            break;
        }
    }
    if (ok && ::fsync(a.fd) != 0) {
        err = errno;
        ok = false;
    }
    if (::close(a.fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        if (err != 0)
            imposta(motivo, motivoErrno(err, destinazione));
        ::unlink(nomeDiSistema(destinazione).constData());
    }
    return ok;
}

bool writeAtomically(const QString& percorso, const QByteArray& bytes, Esito* motivo, Collegamento collegamento)
{
    QString path = percorso;
    if (eCollegamento(path)) {
        // The old file is replaced, never written into: a link in its place is refused, or
        // followed to the file it names (even one not there yet), which is then replaced.
        if (collegamento == Collegamento::Rifiuta) {
            imposta(motivo, rifiutoCollegamento(path));
            return false;
        }
        for (int salti = 0; salti < 40 && !path.isEmpty() && eCollegamento(path); ++salti)
            path = QFileInfo(path).symLinkTarget();
        if (path.isEmpty() || eCollegamento(path)) {
            imposta(motivo, rifiutoCollegamento(percorso));
            return false;
        }
    }
    const QByteArray nome = nomeDiSistema(path);
    const QString temp = temporaneo(path);
    // A leftover of an interrupted write (or a link of that name) is ours to remove.
    const Aperto a = creaNuovo(temp, true);
    if (!a) {
        imposta(motivo, a.motivo);
        return false;
    }
    // The replacement keeps who may read the old file.
    struct stat vecchio = {};
    bool ok = ::stat(nome.constData(), &vecchio) != 0 || ::fchmod(a.fd, vecchio.st_mode & 07777) == 0;
    // Every byte written and on the disk before the rename: a full disk must fail here, while the
    // old file is still whole, and a crash after the rename must not leave an empty file.
    ok = ok && scriviTutto(a.fd, bytes) && ::fsync(a.fd) == 0;
    int err = errno;
    if (::close(a.fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    // rename() puts the new file in the old one's place in one step, and never follows a link.
    if (ok && ::rename(nomeDiSistema(temp).constData(), nome.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(nomeDiSistema(temp).constData());
        imposta(motivo, motivoErrno(err, path));
        return false;
    }
    sincronizzaCartella(path);
    return true;
}

bool writeLines(const QString& path, const QStringList& lines, Esito* motivo)
{
    QByteArray bytes;
    for (const QString& l : lines) {
        bytes += encode(l);
        bytes += "\r\n";
    }
    return writeAtomically(path, bytes, motivo);
}

bool appendLine(const QString& path, const QString& line, Esito* motivo)
{
    struct stat st = {};
    const bool esisteva = ::lstat(nomeDiSistema(path).constData(), &st) == 0;
    const Aperto a = apriSenzaCollegamenti(path, false);
    if (!a) {
        imposta(motivo, a.motivo);
        return false;
    }
    struct stat aperto = {};
    const off_t prima = ::fstat(a.fd, &aperto) == 0 ? aperto.st_size : 0;
    const QByteArray bytes = encode(line) + "\r\n";
    if (scriviTutto(a.fd, bytes)) {
        if (::close(a.fd) == 0)
            return true;
    } else {
        const int err = errno;
        imposta(motivo, motivoErrno(err, path));
        // Shrinking needs no room; a file that cannot even shrink keeps what was written, and
        // there is nothing more to do about it.
        const int ripreso =
            esisteva || prima > 0 ? ::ftruncate(a.fd, prima) : ::unlink(nomeDiSistema(path).constData());
        Q_UNUSED(ripreso)
        ::close(a.fd);
        return false;
    }
    imposta(motivo, motivoErrno(errno, path));
    return false;
}

} // namespace TextFile
