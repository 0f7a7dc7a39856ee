#include "core/AppState.h"

#include "core/Contesto.h"

#include <QLockFile>

AppState::AppState() = default;
AppState::~AppState() = default;

AppState& app()
{
    return Contesto::stato();
}

int versionMajor()
{
    return TAVRINO_VERSION_MAJOR;
}
int versionMinor()
{
    return TAVRINO_VERSION_MINOR;
}
int versionRevision()
{
    return TAVRINO_VERSION_PATCH;
}
