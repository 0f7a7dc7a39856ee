#pragma once
// The register link of one run: the protocol's timings, the line to the registers (serial port or
// UDP channel) and what the receive handlers leave of the register's last reply. The program
// (src/app) owns one and installs it in the context; every test gets a fresh one from TestEnv.
#include "reglink/Frame.h"
#include "reglink/Timings.h"

#include <QString>
#include <memory>

namespace RegLink {

class LineaCassa;

// The register's replies as the receive handlers leave them for the senders.
struct StatoRisposte
{
    RispostaCassaRec rispostaCassa; // the last parsed reply
    QString testoRicevuto;          // what arrived since the sender last cleared it
    quint64 frameRicevuti = 0;      // whole reply frames with a right checksum, ever: a wait's mark
    bool canaleUDP = false;         // the line in use is the UDP channel
    int contatoreApertura = 0;      // cmdInitCom calls in this transfer (a UDP channel is bound once)
};

class Collegamento
{
public:
    Collegamento();
    ~Collegamento();
    Collegamento(const Collegamento&) = delete;
    Collegamento& operator=(const Collegamento&) = delete;

    Timings timings;
    StatoRisposte risposte;

    // The line, built on first use.
    LineaCassa& linea();
    // Closes and drops the line; the next linea() builds a fresh one.
    void chiudiLinea();

private:
    std::unique_ptr<LineaCassa> m_linea;
};

// The installed link's parts (Contesto::collegamento()).
Timings& timings();
StatoRisposte& risposte();

} // namespace RegLink
