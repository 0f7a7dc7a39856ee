#pragma once
// The imports' state of this run, a service of the context (Contesto::importazioni()): the
// central-warehouse engines with the rows of the last article file, the IN-folder poll with the
// files it already applied, and how many imports are running.
#include "import/Cedi.h"
#include "import/InPoll.h"

class Importazioni
{
public:
    Importazioni() = default;
    Importazioni(const Importazioni&) = delete;
    Importazioni& operator=(const Importazioni&) = delete;

    Cedi::Importatore importatore;
    PollCartellaIN poll{importatore};
    int inCorso = 0; // nested: an import may run inside another's pending events
};
