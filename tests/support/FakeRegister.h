#pragma once
// A cash register inside the test process, on the event loop: over a real pseudo-terminal
// (the program's <home>/dosdevices/com<N> points at its slave side) or over real UDP on loopback
// (127.0.0.2). It answers ENQ with ACK and each good frame with a reply frame "EE/S1/S2/" + data
// (on the serial line a lone ACK goes ahead of the reply), keeps the PLU and department records it
// is sent, serves the reception requests, records every byte, and has knobs for the faults a real
// line shows. Every reply is a whole frame: STX, the reply text, the two checksum digits of that
// text, ETX; over UDP one datagram each (or several, with setSplitReplies).
//
// Replies, by request (EE = error number in hex, "00" when none):
//   P/..., A/..., D/...   "00/00/00/"  (stored; an "A/" record is keyed by its barcode)
//   ?/                    "00/00/00/"
//   h/<barcode>/          "00/00/00/<barcode>/<descr>/<rep>/<prezzo>/<qta>/<num>/0/0/0/<venduto>/0/0/"
//   p/<numero>/           the same for the PLU with that number; "07/00/00/" when none
//   J//                   starts the dump ("00/00/00/"); K// then gives one record per request
//                         "00/00/00/<num>/<barcode>/<descr>/<rep>/<prezzo>/<venduto>/0/0/0/" and, after
//                         the last one, "29/00/00/" (on the serial line the raw text then reads
//                         ACK ACK STX "29..." - the ENQ's and the frame's ACK - so characters 4 and 5
//                         are 29)
//   n//                   one record per request in the h/ shape; after the last one the reply
//                         "07/00/02/", whose checksum is 82: on the line STX "07/00/02/82" ETX, the
//                         dump's end marker (then the next n// starts again from the first)
// <venduto> is the sold quantity in thousandths (setVendite), "0" when none was set.
#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <memory>

class QSocketNotifier;
class QUdpSocket;
class TestEnv;

class FakeRegister : public QObject
{
    Q_OBJECT
public:
    struct Plu
    {
        int numero = 0; // "P/" records; 0 for "A/"
        QString barcode;
        QString descrizione;
        QString reparto;
        QString prezzo;
        QString quantita;
        QString record; // the command text as received
    };

    // Serial register on a pseudo-terminal; <env home>/dosdevices/com<comNumber> links to its slave.
    static std::unique_ptr<FakeRegister> serial(TestEnv& env, int comNumber);
    // UDP register bound to 127.0.0.2:<port> (0: a free port, see port()).
    static std::unique_ptr<FakeRegister> udp(quint16 port = 0);
    ~FakeRegister() override;

    bool isSerial() const { return m_master >= 0; }
    QString address() const { return QStringLiteral("127.0.0.2"); }
    quint16 port() const;

    // Memory
    QMap<QString, Plu> plu() const { return m_plu; }             // by barcode
    QMap<int, QStringList> reparti() const { return m_reparti; } // by code: the record's fields
    void addPlu(const Plu& p);
    void setVendite(const QString& barcode, const QString& millesimi);

    // What arrived
    QByteArray received() const { return m_received; }
    QStringList commands() const { return m_commands; }            // texts of the good frames, in order
    QStringList commandsStartingWith(const QString& prefix) const; // those of commands() that do
    int enqCount() const { return m_enq; }
    // When the first ENQ came and the last reply frame went, in ns of a monotonic clock (0: never).
    qint64 firstEnqAt() const { return m_firstEnqAt; }
    qint64 lastReplyAt() const { return m_lastReplyAt; }
    void clearReceived();

    // Fault knobs. A count of -1 means "for ever".
    void setSilent(bool on) { m_silent = on; }                    // answers nothing at all
    void setNakToEnq(int times) { m_nakEnq = times; }             // the next ENQs get NAK
    void setWrongChecksum(int times) { m_wrongChecksum = times; } // the next replies carry a bad checksum
    // Commands starting with `prefix` get error `numero` (decimal; sent as 2 hex digits), `times` times.
    void setErrore(const QString& prefix, int numero, int times = 1);
    void setIgnoreCommands(bool on) { m_ignoreCommands = on; } // ENQ answered, frames never
    void setIgnoreNext(int frames) { m_ignoreNext = frames; }  // the next good frames get no answer
    void setSplitReplies(bool on) { m_split = on; }            // replies a few bytes at a time (UDP: datagrams)
    void setStrayBytes(const QByteArray& b) { m_stray = b; }   // sent before every reply's STX (serial)
    void dieAfterCommands(int n) { m_dieAfter = n; }           // silent after n answered frames
    void setDelay(int ms) { m_delayMs = ms; }                  // every answer this late
    void setRetransmitOnNak(bool on) { m_retransmit = on; }    // a NAK from the program resends the reply

    // Frame helper: STX text checksum ETX (checksum wrong when `guasto`).
    static QByteArray frame(const QString& testo, bool guasto = false);

private:
    FakeRegister() { m_clock.start(); }
    void onSerialReadable();
    void onDatagram();
    void feed(const QByteArray& bytes);
    void handleFrame(const QByteArray& body);
    QString reply(const QString& command);
    QString recordH(const Plu& p) const;
    void send(const QByteArray& bytes);
    void sendNow(const QByteArray& bytes);
    bool answering() const;

    int m_master = -1;
    int m_slaveKeep = -1;
    QString m_slavePath;
    QString m_link;
    QSocketNotifier* m_notifier = nullptr;
    QUdpSocket* m_udp = nullptr;
    QHostAddress m_peer;
    quint16 m_peerPort = 0;

    QByteArray m_pending; // bytes of a frame being received
    bool m_inFrame = false;
    QByteArray m_received;
    QStringList m_commands;
    QString m_lastReply;
    int m_enq = 0;
    int m_answered = 0;
    QElapsedTimer m_clock;
    qint64 m_firstEnqAt = 0;
    qint64 m_lastReplyAt = 0;

    QMap<QString, Plu> m_plu;
    QMap<int, QStringList> m_reparti;
    QMap<QString, QString> m_vendite;
    int m_dumpK = -1;
    int m_dumpN = 0;

    struct Errore
    {
        QString prefix;
        int numero;
        int times;
    };
    QList<Errore> m_errori;
    bool m_silent = false;
    int m_nakEnq = 0;
    int m_wrongChecksum = 0;
    bool m_ignoreCommands = false;
    int m_ignoreNext = 0;
    bool m_split = false;
    QByteArray m_stray;
    int m_dieAfter = -1;
    int m_delayMs = 0;
    bool m_retransmit = true;
};
