#pragma once
// A file opened for reading only when no process has it open for writing. On Linux a read lease
// (fcntl F_SETLEASE, F_RDLCK) is refused exactly then, and while it is held the kernel tells us
// (the lease is broken) as soon as any process opens the file for writing or truncates it. Where
// no lease can be taken (a file owned by another user, a file system without leases) the open
// files of every process we may look at (/proc/<pid>/fd) are searched instead.
#include <QByteArray>
#include <QString>

#include <sys/stat.h>

class ReadLease
{
public:
    enum class Stato {
        Libero,      // open, and no process has it open for writing
        InScrittura, // a process has it open for writing (or holds a lease that lets it write)
        NonAperto,   // it cannot be opened for reading: errore() says why
    };

    explicit ReadLease(const QString& percorso);
    ~ReadLease();
    ReadLease(const ReadLease&) = delete;
    ReadLease& operator=(const ReadLease&) = delete;

    Stato stato() const { return m_stato; }
    // The system's reason when it could not be opened or read.
    const QString& errore() const { return m_errore; }
    // errno of the failed open (ENOENT: no such file any more).
    int numeroErrore() const { return m_errno; }
    // True when the kernel watches the file for writers (a lease), false with the /proc look.
    bool conLease() const { return m_lease; }
    // The file as open now.
    const struct stat& info() const { return m_info; }

    // Reads from the start at most `massimo` bytes; false (errore() set) on a read error.
    bool leggi(QByteArray& contenuto, qint64 massimo);
    // True while no process has opened the file for writing since it was opened here.
    bool ancoraLibero() const;

    // Whether some process whose open files we may see has (device, inode) open for writing.
    static bool apertoInScrittura(dev_t dispositivo, ino_t inode);

private:
    int m_fd = -1;
    bool m_lease = false;
    Stato m_stato = Stato::NonAperto;
    int m_errno = 0;
    QString m_errore;
    struct stat m_info = {};
};
