#pragma once
// Import settings shared by the import tests and the import benchmark.
#include "import/Importazione.h"

// The generic sheet of the workbooks they write: Des, Qta, BC, Rep, PV, ACQ, IVA, CF, For in
// columns 1 to 9.
inline ImpostazioniImport generico()
{
    ImpostazioniImport imp;
    imp.fileExcel = true;
    imp.posDes = 1;
    imp.posQta = 2;
    imp.posBC = 3;
    imp.posRep = 4;
    imp.posPV = 5;
    imp.posACQ = 6;
    imp.posIVA = 7;
    imp.posCFOR = 8;
    imp.posFOR = 9;
    return imp;
}
