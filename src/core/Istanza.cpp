#include "core/Istanza.h"

#include "core/Database.h"
#include "core/Paths.h"

#include <QDir>
#include <QLockFile>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Istanza {

namespace {
std::unique_ptr<QLockFile> g_lock;
}

Blocco blocca()
{
    g_lock = std::make_unique<QLockFile>(QDir(Paths::programFolder()).filePath(QStringLiteral("tavrino.lock")));
    g_lock->setStaleLockTime(0);
    if (g_lock->tryLock(0))
        return Blocco::Unica;
    const auto err = g_lock->error();
    g_lock.reset();
    return err == QLockFile::LockFailedError ? Blocco::GiaInUso : Blocco::Errore;
}

void rilascia()
{
    g_lock.reset();
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
