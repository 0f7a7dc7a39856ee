#include "core/Istanza.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"

#include <QDir>
#include <QLockFile>
#include <QSysInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <signal.h>

namespace Istanza {

Blocco blocca()
{
    auto& blocco = app().bloccoIstanza;
    blocco = std::make_unique<QLockFile>(QDir(Paths::programFolder()).filePath(QStringLiteral("tavrino.lock")));
    blocco->setStaleLockTime(0);
    if (blocco->tryLock(0))
        return Blocco::Unica;
    const auto err = blocco->error();
    qint64 pid = 0;
    QString host, nome;
    const bool info = err == QLockFile::LockFailedError && blocco->getLockInfo(&pid, &host, &nome);
    blocco.reset();
    if (err != QLockFile::LockFailedError)
        return Blocco::Errore;
    // The lock of a program that ended without releasing it is taken over by writing ours: a full
    // disk refuses that, and the program is not in use.
    if (info && pid > 0 && host == QSysInfo::machineHostName() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH &&
        discoQuasiPieno(Paths::programFolder()))
        return Blocco::Errore;
    return Blocco::GiaInUso;
}

void rilascia()
{
    app().bloccoIstanza.reset();
}

void terminaPerErroreGrave()
{
    Db::ChiudiDatabase();
    rilascia();
    std::fflush(nullptr);
    // Not exit(): the windows and the event loops we are nested in must not run their teardown now.
    std::_Exit(kUscitaErroreGrave);
}

} // namespace Istanza
