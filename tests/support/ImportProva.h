#pragma once
// Import settings shared by the import tests and the import benchmark.
#include "import/Listini.h"

#include <tuple>

// Settings with these columns (from 1; 0: not in the file).
inline ImpostazioniImport colonne(int des, int qta, int bc, int rep, int pv, int acq = 0, int iva = 0, int cfor = 0,
                                  int forn = 0)
{
    ImpostazioniImport imp;
    std::tie(imp.posDes, imp.posQta, imp.posBC, imp.posRep, imp.posPV, imp.posACQ, imp.posIVA, imp.posCFOR,
             imp.posFOR) = std::tie(des, qta, bc, rep, pv, acq, iva, cfor, forn);
    return imp;
}

// The ";"-separated price list they write: barcode 4, description 5, department 6, price 10,
// quantity 12.
inline ImpostazioniImport separato()
{
    ImpostazioniImport imp = colonne(5, 12, 4, 6, 10);
    imp.opzioneSeparatore = 1;
    imp.separatore = QStringLiteral(";");
    return imp;
}

// The generic sheet of the workbooks they write: Des, Qta, BC, Rep, PV, ACQ, IVA, CF, For in
// columns 1 to 9.
inline ImpostazioniImport generico()
{
    ImpostazioniImport imp = colonne(1, 2, 3, 4, 5, 6, 7, 8, 9);
    imp.fileExcel = true;
    return imp;
}
