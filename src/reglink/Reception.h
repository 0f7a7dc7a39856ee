#pragma once
// Reception of PLU data from the registers: article by article ("h/"), as a full dump ("J//" +
// "K//", or "n//" on the PiruNEX model), or by PLU number ("p/"). Each accepted reply becomes one
// line of <OUT>/PLUQuidar<n>.txt, made afresh by every reception of that register; after a
// complete reception by cmdRiceviPLU the file is booked into stock and history. Register 1 may
// be reached over the UDP channel; then every exchange of its reception goes over UDP.
#include "reglink/TransferPanel.h"

#include <QString>

namespace Reception {

enum class [[nodiscard]] Esito{
    Completata,
    CartellaMancante, // [Cartelle] OUT not set: nothing was asked
    NonPronta,        // the register did not answer and the user gave up
    Interrotta,       // the user stopped it
    CassaMuta,        // the register stopped answering in the middle of a dump
    FileNonScritto,   // the received file could not be made afresh or written
    Errore            // the line or the database failed
};

// The highest field number of a reply split at "/" (fields numbered from 0).
int pezzoMassimo(const QString& testo);
// "h/" + the code the register holds for an article: as the PLU send staged it (an in-store
// code, "2..." not 5 long, by its characters 3 to 7).
QString comandoArticolo(const QString& barCode);
// <OUT>/PLUQuidar<cassa>.txt, or an empty text when [Cartelle] OUT is not set.
QString percorsoRicevuto(int cassa);

// One register on the line already opened for it. Booking (mode 2, mode 1) follows a complete
// reception of the first two; an incomplete one books nothing.
Esito RicevoPLUdaECR(int cassa, PannelloTrasferimento& p);
Esito RicevoPLUdaECRPerArticolo(int cassa, PannelloTrasferimento& p);
Esito RicevoPLUdaECRPerNumero(int cassa, int quanti, PannelloTrasferimento& p);
// Asks "Quanti PLU da Acquisire?" and receives numbers 1 to that count.
Esito RicevoPLUdaECR_TUTTI(int cassa, PannelloTrasferimento& p);

// The article window's buttons "Leggi PLU  <<<" and "&Genera File Dati". Both ask the technician
// password (p.chiediTecnico, else frmPswd); a click during a reception offers to interrupt it;
// nothing starts while a send runs.
void leggiDalleCasse(PannelloTrasferimento& p);
void generaFileDati(PannelloTrasferimento& p);

} // namespace Reception
