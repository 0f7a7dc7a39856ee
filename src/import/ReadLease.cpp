#include "import/ReadLease.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A broken lease is told with a signal (SIGIO unless set, and SIGIO ends the process): one whose
// default is to be ignored instead. The lease's state is asked for, the signal is not needed.
constexpr int kSegnaleRottura = SIGURG;

bool numerico(const char* nome)
{
    if (!*nome)
        return false;
    for (const char* c = nome; *c; ++c)
        if (*c < '0' || *c > '9')
            return false;
    return true;
}

// The access mode in /proc/<pid>/fdinfo/<fd> ("flags:\t0100002", octal): written to or not.
bool descrittoreInScrittura(const QByteArray& fdinfo)
{
    QFile f(QString::fromLocal8Bit(fdinfo));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray testo = f.read(4096);
    const qsizetype da = testo.indexOf("flags:");
    if (da < 0)
        return false;
    const long flags = std::strtol(testo.constData() + da + 6, nullptr, 8);
    return (flags & O_ACCMODE) != O_RDONLY;
}

} // namespace

ReadLease::ReadLease(const QString& percorso)
{
    const QByteArray nome = QFile::encodeName(percorso);
    // Non-blocking: a write lease of another process (a file server's) must not hold us here.
    do {
        m_fd = ::open(nome.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        m_errno = errno;
        m_stato = m_errno == EWOULDBLOCK ? Stato::InScrittura : Stato::NonAperto;
        m_errore = qt_error_string(m_errno);
        return;
    }
    if (::fstat(m_fd, &m_info) != 0) {
        m_errno = errno;
        m_errore = qt_error_string(m_errno);
        return;
    }
    if (!S_ISREG(m_info.st_mode)) {
        m_errno = S_ISDIR(m_info.st_mode) ? EISDIR : EINVAL;
        m_errore = S_ISDIR(m_info.st_mode) ? qt_error_string(EISDIR) : QStringLiteral("non è un file normale");
        return;
    }
    ::fcntl(m_fd, F_SETSIG, kSegnaleRottura);
    if (::fcntl(m_fd, F_SETLEASE, F_RDLCK) == 0) {
        m_lease = true;
        m_stato = Stato::Libero;
    } else if (errno == EAGAIN) {
        m_stato = Stato::InScrittura; // refused exactly when someone has it open for writing
    } else {
        // Not ours and no right to lease it, or a file system without leases.
        m_stato = apertoInScrittura(m_info.st_dev, m_info.st_ino) ? Stato::InScrittura : Stato::Libero;
    }
}

ReadLease::~ReadLease()
{
    if (m_fd < 0)
        return;
    if (m_lease)
        ::fcntl(m_fd, F_SETLEASE, F_UNLCK);
    ::close(m_fd);
}

bool ReadLease::leggi(QByteArray& contenuto, qint64 massimo)
{
    contenuto.clear();
    if (m_fd < 0)
        return false;
    const qint64 attesi = m_info.st_size < massimo ? qint64(m_info.st_size) : massimo;
    contenuto.resize(qsizetype(attesi));
    qint64 letti = 0;
    for (;;) {
        if (letti == contenuto.size()) {
            if (letti >= massimo)
                break;
            // It may be longer than it was at the open: read on until its end or the bound.
            contenuto.resize(qsizetype(qMin(massimo, letti + 65536)));
        }
        const ssize_t n = ::pread(m_fd, contenuto.data() + letti, size_t(contenuto.size() - letti), off_t(letti));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_errno = errno;
            m_errore = qt_error_string(m_errno);
            contenuto.clear();
            return false;
        }
        if (n == 0)
            break;
        letti += n;
    }
    contenuto.resize(qsizetype(letti));
    return true;
}

bool ReadLease::ancoraLibero() const
{
    if (m_fd < 0 || m_stato != Stato::Libero)
        return false;
    if (m_lease)
        return ::fcntl(m_fd, F_GETLEASE) == F_RDLCK; // F_UNLCK once a writer asked to open it
    return !apertoInScrittura(m_info.st_dev, m_info.st_ino);
}

bool ReadLease::apertoInScrittura(dev_t dispositivo, ino_t inode)
{
    // Processes of other users are hidden from us unless we are root: this look sees what it can.
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool trovato = false;
    while (!trovato) {
        const dirent* processo = ::readdir(proc);
        if (!processo)
            break;
        if (!numerico(processo->d_name))
            continue;
        const QByteArray base = QByteArray("/proc/") + processo->d_name;
        DIR* fd = ::opendir((base + "/fd").constData());
        if (!fd)
            continue;
        while (const dirent* d = ::readdir(fd)) {
            if (!numerico(d->d_name))
                continue;
            struct stat s = {};
            if (::stat((base + "/fd/" + d->d_name).constData(), &s) != 0 || s.st_dev != dispositivo ||
                s.st_ino != inode)
                continue;
            if (descrittoreInScrittura(base + "/fdinfo/" + d->d_name)) {
                trovato = true;
                break;
            }
        }
        ::closedir(fd);
    }
    ::closedir(proc);
    return trovato;
}
