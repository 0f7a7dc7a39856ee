#pragma once
// The register line: the serial port (Cassa) or the UDP channel (Winsock1) to a cash register,
// the command start (cmdInitCom), the framed send (SendCMD), the two receive handlers that fill
// RegLink::risposte().rispostaCassa and RegLink::risposte().testoRicevuto, and the timed wait Pausa. One program-wide
// instance, reached through linea(); it hangs on the main window once that exists.
#include "core/AppState.h"
#include "reglink/Collegamento.h"
#include "reglink/Frame.h"
#include "reglink/TransferPanel.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QUdpSocket>

namespace RegLink {

// Error number of an operation on the serial port while it is closed (never logged).
constexpr int kErrPortaChiusa = 8018;

// "Pari" e, "Dispari" o, "Nessuna" n, "Mark" m, "Spazio" s, anything else n.
QString LetteraParita(const QString& parola);
// "Hardware" RTS/CTS, "Xon / Xoff" XON/XOFF (exactly so), anything else none.
QSerialPort::FlowControl HandshakingDa(const QString& parola);

// Sets the device path of port number `porta` and the line settings on `p` (closed). A setting the
// port cannot take ("1,5" stop bits, a speed that is not a number) is a failure with *errore set.
bool ConfiguraPorta(QSerialPort& p, const QString& porta, const LineSettings& s, QString* errore = nullptr);
// Opens a configured port read-write; checks the speed really took. False with *errore on failure.
bool ApriPortaConfigurata(QSerialPort& p, QString* errore = nullptr);

class LineaCassa : public QObject
{
    Q_OBJECT
public:
    explicit LineaCassa(QObject* parent = nullptr);
    ~LineaCassa() override;

    // Opens or reuses the line named by `porta` (a port number, or a dotted address for the
    // UDP channel), tells `stato` which one it opened, clears the response record and sends
    // CAN CAN CAN ENQ (serial) or ENQ (UDP). The outcome is in RegLink::risposte().rispostaCassa.stato and the
    // protocol log.
    void cmdInitCom(const QString& porta, StatoLinea& stato);
    // (Re)opens the serial port `porta` with the [RegCassa] line settings; false when it did not open
    // (logged in the error log as FUNZIONI / ApriPortaRegCassa). An empty port does nothing.
    bool AperturaPortaRegCassa(const QString& porta);
    // Sends FrameComando(comando) on the line in use; false when it could not be sent.
    bool SendCMD(const QString& comando);
    // Waits about `millisecondi` (core's Attesa, on the one wait policy) while events run.
    void Pausa(int millisecondi);

    // Lower-level access for the reception and department senders.
    bool portaSerialeAperta() const;
    void chiudiPortaSeriale();
    bool scriviSeriale(const QByteArray& dati); // Cassa.Output; false when the port is closed
    QByteArray scartaInput();                   // reads and returns the pending serial input
    bool canaleUDPAperto() const;
    bool scriviUDP(const QByteArray& dati); // one datagram to the register; false when not sent
    bool scrivi(const QByteArray& dati);    // on the line in use, by RegLink::risposte().canaleUDP
    void chiudiCanaleUDP();
    QString bufferCassa() const { return m_ricevitore.buffer(); }

    QSerialPort& Cassa() { return *m_cassa; }
    QUdpSocket& Winsock1() { return *m_winsock; }

Q_SIGNALS:
    void rispostaAggiornata(); // a lone ACK/NAK or a good reply frame has been taken

private:
    void Cassa_OnComm();
    void Winsock1_DataArrival();
    void prendiEvento(const EventoRicezione& e, bool udp);
    bool apriCanaleUDP(const QString& indirizzo);

    QSerialPort* m_cassa;
    QUdpSocket* m_winsock;
    RicevitoreSeriale m_ricevitore; // BufferCassa
    RicevitoreUDP m_ricevitoreUDP;  // a reply frame spread over several datagrams
    QHostAddress m_destinatario;
};

// The installed link's line (Contesto::collegamento()), built on first use.
LineaCassa& linea();

// Shorthands on linea().
inline void cmdInitCom(const QString& porta, StatoLinea& stato)
{
    linea().cmdInitCom(porta, stato);
}
inline bool SendCMD(const QString& comando)
{
    return linea().SendCMD(comando);
}
inline void Pausa(int millisecondi)
{
    linea().Pausa(millisecondi);
}

} // namespace RegLink
