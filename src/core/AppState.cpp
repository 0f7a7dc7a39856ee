#include "core/AppState.h"

AppState& app()
{
    static AppState state;
    return state;
}

void resetApp() { app() = AppState{}; }

int versionMajor() { return TAVRINO_VERSION_MAJOR; }
int versionMinor() { return TAVRINO_VERSION_MINOR; }
int versionRevision() { return TAVRINO_VERSION_PATCH; }
