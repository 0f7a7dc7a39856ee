#include "core/Istanza.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/Paths.h"

#include <QDir>
#include <QLockFile>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Istanza {

Blocco blocca()
{
    auto& blocco = app().bloccoIstanza;
    blocco = std::make_unique<QLockFile>(QDir(Paths::programFolder()).filePath(QStringLiteral("tavrino.lock")));
    blocco->setStaleLockTime(0);
    if (blocco->tryLock(0))
        return Blocco::Unica;
    const auto err = blocco->error();
    blocco.reset();
    return err == QLockFile::LockFailedError ? Blocco::GiaInUso : Blocco::Errore;
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
