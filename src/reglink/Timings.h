#pragma once
// Every time-out, pause and retry bound of the register protocol in one place. The defaults are
// the protocol's own; tests swap in small values (and a loopback register) so they run in seconds.
#include <QHostAddress>
#include <QtGlobal>

namespace RegLink {

struct Timings
{
    // EsameComandi
    int attesaMs = 3000;          // each wait: ENQ acknowledgement, reply
    int pollMs = 1;               // sleep of every polling pass
    int maxTimeout = 5;           // consecutive time-outs retried; the next one ends the file
    int sleepTraRigheMs = 1;      // before every line but the first
    int pausaErroreMs = 2;        // after an error action or a NAK
    int passiStatoInatteso = 10;  // passes of the unexpected-state wait before a new handshake
    int maxRipetizioniBusy = 100; // class-1 repeats of one line before it is recorded and skipped

    // checkStatoMisuratore: its time-out argument is in seconds of this many milliseconds
    int msPerSecondo = 1000;
    int pollVerificaMs = 20;
    int limiteSenzaMassimo = 100; // tries when the caller asks for no limit (maxTentativi 0)

    // Pausa(ms) lasts ms * scalaPausa
    double scalaPausa = 1.0;

    // UDP channel: the register's port, our local port and the address we bind to
    quint16 portaUDP = 9101;
    quint16 portaLocaleUDP = 9101;
    QHostAddress indirizzoLocale = QHostAddress(QHostAddress::AnyIPv4);

    // A set for tests: short waits, ephemeral local port on loopback.
    static Timings veloci();
};

Timings& timings();
void resetTimings();

} // namespace RegLink
