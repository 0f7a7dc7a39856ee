#pragma once
// Sending the department table to the registers: over a serial port by the direct sender that
// frames each record itself, or, for register 1 reached by network address, as a department
// command file handed to EsameComandi. Each record carries the register's VAT code from
// [IVA TARVENIT] of Setup.ini.
#include "reglink/TransferPanel.h"

#include <QString>
#include <QVariant>

namespace TrasferimentoReparti {

constexpr int kIvaMancante = 9999;

struct Reparto
{
    int cod = 0;
    QString descrizione;
    double prezzo = 0; // PrezzoPrefissato
    QVariant sconto;   // 0 or 1; anything else is sent as 0
};

// CodiceIvaCassa: the register's VAT code of `iva` percent, or 9999 when the key is missing (it is
// then written as "?" for the user to fill in, with instructions) or not a number.
int CodiceIvaCassa(int iva);

// The description as the direct sender sends it, and as the command file holds it (upper case, 20 characters).
QString DescrizioneDiretta(const QString& descrizione);
QString DescrizioneFile(const QString& descrizione);

// "D/" records, without the frame or CR LF.
QString RecordDiretto(const Reparto& r, int codiceIva);
QString RecordFile(const Reparto& r, int codiceIva, int sequenza);
// The file's sequence number runs 1..10, or 1..20 with FlagPiruNEX.
int prossimaSequenza(int sequenza, bool flagPiruNEX);

// <program folder>/FileREP<suffisso>.txt
QString percorsoFileREP(const QString& suffisso);

// CreaFileInvioREPARTI: writes the whole table; esito false when it is empty (no file is left) or a
// VAT code is missing (the records before it stay in the file).
void CreaFileInvioREPARTI(const QString& suffisso, bool& esito);

enum class [[nodiscard]] EsitoDiretto{
    Inviato, NessunReparto, IvaMancante,
    PortaChiusa,    // the port closed under the transfer
    NessunaRisposta // the register never answered the wake-up: nothing was sent
};

// InvioRepSuQuiDar: sends every department over the serial port the caller opened, then closes it.
EsitoDiretto InvioRepSuQuiDar(PannelloReparti& p);

// "Trasferisci sulla CASSA" (Command1 index 2): registers 1, 2 and 3 in turn; nothing happens
// unless the interchange word is "QUIDAR", or while another transfer runs.
void TrasferisciSullaCassa(PannelloReparti& p);

} // namespace TrasferimentoReparti
