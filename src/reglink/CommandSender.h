#pragma once
// EsameComandi sends a command file to one register line by line: handshake, framed command,
// reply, and the error table's action for each error reply. Failed lines go to
// <OUT>/NonTRASMESSI<line>.txt, made afresh by every send and shown at the end (a register that
// stops answering leaves the end line there, followed by every line it never got); every step goes
// to the protocol log.
// checkStatoMisuratore asks the register's status with "?/". A device error of class 9 ends the
// program through Contesto::programma().terminaPerErroreGrave().
#include "core/Progress.h"
#include "reglink/TransferPanel.h"

#include <QString>
#include <QStringList>

namespace RegLink {

// The failure file of line `porta`: [Cartelle] OUT (written as "C:" when missing) + NonTRASMESSI<porta>.txt.
QString percorsoNonTrasmessi(const QString& porta);

// What a command file's send came to.
struct [[nodiscard]] EsitoComandi
{
    // False when the transfer stopped (too many time-outs, serial port not connected, class 9);
    // true otherwise, also when some lines were answered with an error (they are in the failure file).
    bool esito = true;
    // Lines the register refused in the end (an error reply after which the next line followed).
    QStringList rifiutate;
    // Lines never confirmed because the transfer stopped: the one in progress and those after it.
    QStringList nonInviate;
};
// `progresso` gets the number of lines read so far (0 at the start), `stato` the line opened; a
// failure file left at the end is shown through Contesto::interazione().
EsitoComandi EsameComandiEsito(const QString& nomeFile, const QString& porta, ProgressSink& progresso,
                               StatoLinea& stato);
inline bool EsameComandi(const QString& nomeFile, const QString& porta, ProgressSink& progresso, StatoLinea& stato)
{
    return EsameComandiEsito(nomeFile, porta, progresso, stato).esito;
}

// The decimal error number of the reply to "?/" (0: no error), or -1 when the try limit ran out.
// `maxTentativi` 0 means no limit; `timeout` in seconds (on the wait policy's scale).
int checkStatoMisuratore(int maxTentativi, int timeout, const QString& porta, StatoLinea& stato);

} // namespace RegLink
