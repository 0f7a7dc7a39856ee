#pragma once
// The program's services in one place. The program (src/app) installs the real ones at start-up;
// tests install theirs (TestEnv). Logic asks the user through Contesto::interazione() and never
// opens a window itself.
#include "core/Interaction.h"

namespace Contesto {

// The installed interaction; using it before one is installed is a programming error.
Interaction& interazione();
void installaInterazione(Interaction* i);

// Back to nothing installed (the program's end, a test's end).
void reset();

} // namespace Contesto
