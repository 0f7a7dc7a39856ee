#pragma once
// The register frame: STX, command text, two decimal checksum digits, ETX, in Windows-1252 bytes.
// Also the reading of reply frames: the checksum test, the 8-character header parsed into the
// response record, and the byte-by-byte collector of the serial line.
#include "reglink/ErrorTable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The parsed register reply, as the receive handlers leave it for the sender.
// Texts as the register link reads them (numeroErrore is empty while no reply has been parsed)
// and the error's action class.
struct RispostaCassaRec
{
    QString stato; // "ACK", "NAK", "ERR" or empty
    QString numeroErrore;
    QString descrizione;
    RegLink::AzioneErrore azione = RegLink::AzioneErrore::Prosegui;
    QString byteStato1;
    bool stato1Bit1 = false, stato1Bit3 = false, stato1Bit4 = false, stato1Bit5 = false, stato1Bit6 = false,
         stato1Bit7 = false;
    QString byteStato2;
    bool stato2Bit7 = false, stato2Bit6 = false, stato2Bit5 = false, stato2Bit3 = false, stato2Bit2 = false,
         stato2Bit1 = false, stato2Bit0 = false;
};

namespace RegLink {

constexpr char STX = 2;
constexpr char ETX = 3;
constexpr char ENQ = 5;
constexpr char ACK = 6;
constexpr char NAK = 21;
constexpr char CAN = 24;

// Sum of the Windows-1252 codes kept modulo 256, then modulo 100, as two digits ("00" for "").
QString CalcolaChecksum(const QString& testo);

// STX + trimmed command + checksum of the trimmed text + ETX.
QByteArray FrameComando(const QString& comando);
// STX + text unchanged + checksum + ETX: the request frames of the reception and department senders.
QByteArray FrameTestoIntero(const QString& testo);

// A reply text with its two checksum digits at the end (STX and ETX removed): true when the digits
// match the checksum of what precedes them. *testo receives the text without the digits.
bool ChecksumCorretto(const QString& testoEChecksum, QString* testo = nullptr);

// Parses the first eight characters of a reply text. A header that is too short or whose error
// field is not hexadecimal gives an empty record (numeroErrore empty, azione Prosegui), so a
// corrupted reply is never taken as an answer.
RispostaCassaRec AnalizzaRisposta(const QString& testata);

// Bit string of `valore`, least significant bit first; widens `bit` by 8 until the value fits.
QString BinarioDaIntero(qint64 valore, int& bit);

// Empties the reply fields and flags of `r` (azione back to Prosegui); keeps stato.
void AzzeraRisposta(RispostaCassaRec& r);

// What arrived on the line, as the receive handlers see it.
struct EventoRicezione
{
    enum Tipo { AckSolo, NakSolo, Frame };
    Tipo tipo = AckSolo;
    bool checksumOk = false;
    QString testo; // Frame: reply text without STX, checksum digits and ETX
};

// The serial buffer (BufferCassa): characters accumulate until a lone ACK, a lone NAK or a
// complete frame ends them; everything before the last STX is dropped.
class RicevitoreSeriale
{
public:
    // Appends `dati` and returns the event it completes, if any.
    std::optional<EventoRicezione> aggiungi(const QString& dati);
    QString buffer() const { return m_buffer; }
    void svuota() { m_buffer.clear(); }

private:
    QString m_buffer;
};

// One UDP datagram: lone ACK/NAK, a reply frame (leading STX optional), or nothing.
std::optional<EventoRicezione> AnalizzaDatagramma(const QString& datagramma);

// The UDP channel's collector: a datagram that starts a frame (STX) without ending it is kept,
// and the following datagrams from the register complete it up to its ETX. A lone ACK or NAK in
// between is taken as such and leaves the frame being collected alone.
class RicevitoreUDP
{
public:
    std::optional<EventoRicezione> aggiungi(const QString& datagramma);
    void svuota() { m_parziale.clear(); }
    bool inCorso() const { return !m_parziale.isEmpty(); }

private:
    QString m_parziale; // from its STX on
};

} // namespace RegLink
