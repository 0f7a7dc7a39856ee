#pragma once
// Every time-out, pause and retry bound of the register protocol in one place. Durations are the
// protocol's own, in nominal milliseconds: they run through core's waits and so follow the one wait
// policy (app().wait), which tests scale down. Tests also swap in a loopback register.
#include <QHostAddress>
#include <QtGlobal>

namespace RegLink {

struct Timings
{
    // EsameComandi
    int attesaMs = 3000;          // each wait: ENQ acknowledgement, reply
    int maxTimeout = 5;           // consecutive time-outs retried; the next one ends the file
    int sleepTraRigheMs = 1;      // before every line but the first
    int pausaErroreMs = 2;        // after an error action or a NAK
    int passiStatoInatteso = 10;  // passes of the unexpected-state wait before a new handshake
    int maxRipetizioniBusy = 100; // class-1 repeats of one line before it is recorded and skipped

    // checkStatoMisuratore
    int limiteSenzaMassimo = 100; // tries when the caller asks for no limit (maxTentativi 0)

    // A dump ("n//") ends when the register has sent nothing for this many reply time-outs.
    int timeoutSilenzioDump = 5;

    // UDP channel: the register's port, our local port and the address we bind to
    quint16 portaUDP = 9101;
    quint16 portaLocaleUDP = 9101;
    QHostAddress indirizzoLocale = QHostAddress(QHostAddress::AnyIPv4);

    // A set for tests: ephemeral local port on loopback (durations follow app().wait).
    static Timings veloci();
};

// The installed link's timings (reglink/Collegamento.h).
Timings& timings();

} // namespace RegLink
