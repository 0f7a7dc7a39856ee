#include "reglink/RegisterLine.h"

#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/Wait.h"
#include "reglink/ProtocolLog.h"
#include "reglink/Timings.h"

#include <QNetworkDatagram>
#include <QPointer>

namespace RegLink {

namespace {

// MSComm's "invalid port" number, used for every port that does not open.
const QString kErrPortaNonValida = QStringLiteral("8002");

QByteArray byteSolo(char c)
{
    return QByteArray(1, c);
}

} // namespace

QString LetteraParita(const QString& parola)
{
    if (parola == QLatin1String("Pari"))
        return QStringLiteral("e");
    if (parola == QLatin1String("Dispari"))
        return QStringLiteral("o");
    if (parola == QLatin1String("Mark"))
        return QStringLiteral("m");
    if (parola == QLatin1String("Spazio"))
        return QStringLiteral("s");
    return QStringLiteral("n");
}

QSerialPort::FlowControl HandshakingDa(const QString& parola)
{
    if (parola == QLatin1String("Hardware"))
        return QSerialPort::HardwareControl;
    if (parola == QLatin1String("Xon / Xoff"))
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

bool ConfiguraPorta(QSerialPort& p, const QString& porta, const LineSettings& s, QString* errore)
{
    auto fallisce = [&](const QString& perche) {
        if (errore)
            *errore = perche;
        return false;
    };
    const QString path = Paths::serialPortPath(porta);
    if (path.isEmpty())
        return fallisce(QStringLiteral("Numero di porta non valido: %1").arg(porta));
    p.setPortName(path);

    bool ok = false;
    const int velocita = s.velocita.trimmed().toInt(&ok);
    if (!ok || velocita <= 0 || !p.setBaudRate(velocita))
        return fallisce(QStringLiteral("Velocità non supportata: %1").arg(s.velocita));

    const int bit = s.bitDati.trimmed().toInt(&ok);
    if (!ok || bit < 5 || bit > 8 || !p.setDataBits(static_cast<QSerialPort::DataBits>(bit)))
        return fallisce(QStringLiteral("Bit dati non supportati: %1").arg(s.bitDati));

    const QString lettera = LetteraParita(s.parita);
    QSerialPort::Parity parita = QSerialPort::NoParity;
    if (lettera == QLatin1String("e"))
        parita = QSerialPort::EvenParity;
    else if (lettera == QLatin1String("o"))
        parita = QSerialPort::OddParity;
    else if (lettera == QLatin1String("m"))
        parita = QSerialPort::MarkParity;
    else if (lettera == QLatin1String("s"))
        parita = QSerialPort::SpaceParity;
    if (!p.setParity(parita))
        return fallisce(QStringLiteral("Parità non supportata: %1").arg(s.parita));

    // "1,5" stop bits cannot be set here: that is a failure, not a silent 1 or 2.
    const QString stop = s.bitStop.trimmed();
    QSerialPort::StopBits bitStop;
    if (stop == QLatin1String("1"))
        bitStop = QSerialPort::OneStop;
    else if (stop == QLatin1String("2"))
        bitStop = QSerialPort::TwoStop;
    else
        return fallisce(QStringLiteral("Bit di stop non supportati: %1").arg(s.bitStop));
    if (!p.setStopBits(bitStop))
        return fallisce(QStringLiteral("Bit di stop non supportati: %1").arg(s.bitStop));

    if (!p.setFlowControl(HandshakingDa(s.flusso)))
        return fallisce(QStringLiteral("Controllo di flusso non supportato: %1").arg(s.flusso));
    return true;
}

bool ApriPortaConfigurata(QSerialPort& p, QString* errore)
{
    if (p.open(QIODevice::ReadWrite))
        return true;
    if (errore)
        *errore = QStringLiteral("%1: %2").arg(p.portName(), p.errorString());
    p.clearError();
    return false;
}

LineaCassa::LineaCassa(QObject* parent)
    : QObject(parent), m_cassa(new QSerialPort(this)), m_winsock(new QUdpSocket(this))
{
    m_cassa->setObjectName(QStringLiteral("Cassa"));
    m_winsock->setObjectName(QStringLiteral("Winsock1"));
    connect(m_cassa, &QSerialPort::readyRead, this, &LineaCassa::Cassa_OnComm);
    connect(m_winsock, &QUdpSocket::readyRead, this, &LineaCassa::Winsock1_DataArrival);
}

LineaCassa::~LineaCassa()
{
    if (m_cassa->isOpen())
        m_cassa->close();
    m_winsock->close();
}

void LineaCassa::cmdInitCom(const QString& porta, StatoLinea& stato)
{
    StatoRisposte& a = risposte();
    a.contatoreApertura = a.contatoreApertura != 10 ? a.contatoreApertura + 1 : 2;

    if (!porta.contains(QLatin1Char('.'))) {
        a.canaleUDP = false;
        AperturaPortaRegCassa(porta);
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        stato.mostraStato(QStringLiteral("APERTO PORTA COM: ") + porta);
    } else if (a.contatoreApertura < 2) {
        a.canaleUDP = true;
        chiudiCanaleUDP();
        apriCanaleUDP(porta.trimmed());
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        stato.mostraStato(QStringLiteral("APERTO CANALE IP: ") + porta);
    }
    // A dotted address later in the same transfer reuses the channel bound by its first call.

    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
    AzzeraRisposta(RegLink::risposte().rispostaCassa);
    a.rispostaCassa.stato.clear();

    if (a.canaleUDP) {
        if (!canaleUDPAperto() || !scriviUDP(byteSolo(ENQ)))
            ScriviLog(QStringLiteral("> PORTA DI COMUNICAZIONE UDP CHIUSA, IMPOSSIBILE MANDARE ENQ"));
        return;
    }
    if (!m_cassa->isOpen()) {
        ScriviLog(QStringLiteral("> PORTA DI COMUNICAZIONE SERIALE CHIUSA, IMPOSSIBILE MANDARE ENQ"));
        a.rispostaCassa.stato = QStringLiteral("ERR");
        return;
    }
    for (char c : {CAN, CAN, CAN, ENQ})
        scriviSeriale(byteSolo(c));
    a.rispostaCassa.stato.clear();
    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
}

bool LineaCassa::AperturaPortaRegCassa(const QString& porta)
{
    if (porta.isEmpty())
        return false;
    if (m_cassa->isOpen())
        m_cassa->close();
    m_ricevitore.svuota();
    QString errore;
    if (!ConfiguraPorta(*m_cassa, porta, app().impostazioniRegCassa.linea, &errore) ||
        !ApriPortaConfigurata(*m_cassa, &errore)) {
        ScriviErrore(QStringLiteral("FUNZIONI"), QStringLiteral("ApriPortaRegCassa"), errore, kErrPortaNonValida);
        return false;
    }
    return true;
}

bool LineaCassa::SendCMD(const QString& comando)
{
    return scrivi(FrameComando(comando));
}

void LineaCassa::Pausa(int millisecondi)
{
    Attesa(millisecondi, InputUtente::SoloControlliVivi);
}

bool LineaCassa::portaSerialeAperta() const
{
    return m_cassa->isOpen();
}

void LineaCassa::chiudiPortaSeriale()
{
    if (m_cassa->isOpen())
        m_cassa->close();
    m_ricevitore.svuota();
}

bool LineaCassa::scriviSeriale(const QByteArray& dati)
{
    if (!m_cassa->isOpen())
        return false;
    const bool ok = m_cassa->write(dati) == dati.size();
    m_cassa->flush();
    return ok;
}

QByteArray LineaCassa::scartaInput()
{
    if (!m_cassa->isOpen())
        return {};
    // What the port has buffered, and what the driver holds but we have not read yet.
    const QByteArray letti = m_cassa->readAll();
    m_cassa->clear(QSerialPort::Input);
    return letti;
}

bool LineaCassa::canaleUDPAperto() const
{
    return m_winsock->state() == QAbstractSocket::BoundState;
}

bool LineaCassa::scriviUDP(const QByteArray& dati)
{
    if (!canaleUDPAperto() || m_destinatario.isNull())
        return false;
    return m_winsock->writeDatagram(dati, m_destinatario, timings().portaUDP) == dati.size();
}

bool LineaCassa::scrivi(const QByteArray& dati)
{
    return RegLink::risposte().canaleUDP ? scriviUDP(dati) : scriviSeriale(dati);
}

void LineaCassa::chiudiCanaleUDP()
{
    if (m_winsock->state() != QAbstractSocket::UnconnectedState)
        m_winsock->close();
}

bool LineaCassa::apriCanaleUDP(const QString& indirizzo)
{
    m_ricevitoreUDP.svuota();
    // An address that does not parse leaves the channel closed: nothing is ever "sent" to it.
    if (!m_destinatario.setAddress(indirizzo)) {
        m_destinatario.clear();
        return false;
    }
    const Timings& t = timings();
    return m_winsock->bind(t.indirizzoLocale, t.portaLocaleUDP,
                           QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
}

void LineaCassa::Cassa_OnComm()
{
    const QString dati = TextFile::decode(m_cassa->readAll());
    if (dati.isEmpty())
        return;
    RegLink::risposte().testoRicevuto += dati;
    if (const auto e = m_ricevitore.aggiungi(dati))
        prendiEvento(*e, false);
}

void LineaCassa::Winsock1_DataArrival()
{
    while (m_winsock->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_winsock->receiveDatagram();
        // Only the register we talk to; a reply may come in several datagrams.
        if (!m_destinatario.isNull() && !d.senderAddress().isEqual(m_destinatario, QHostAddress::TolerantConversion))
            continue;
        if (const auto e = m_ricevitoreUDP.aggiungi(TextFile::decode(d.data())))
            prendiEvento(*e, true);
    }
}

void LineaCassa::prendiEvento(const EventoRicezione& e, bool udp)
{
    RispostaCassaRec& r = RegLink::risposte().rispostaCassa;
    switch (e.tipo) {
    case EventoRicezione::AckSolo:
    case EventoRicezione::NakSolo:
        if (!udp)
            scriviSeriale(byteSolo(ACK));
        r.stato = e.tipo == EventoRicezione::AckSolo ? QStringLiteral("ACK") : QStringLiteral("NAK");
        break;
    case EventoRicezione::Frame:
        if (udp)
            scriviUDP(byteSolo(e.checksumOk ? ACK : NAK));
        else {
            scriviSeriale(byteSolo(e.checksumOk ? ACK : NAK));
            scriviSeriale(byteSolo(ACK));
        }
        if (!e.checksumOk) {
            // Answered NAK and otherwise ignored: a damaged "1A" must never read as a reply; the
            // waiter sees the register's retransmission or runs into its time-out and resends.
            ScriviLog(udp ? QStringLiteral(">Socket:        ***** checksum errato, Mando NAK")
                          : QStringLiteral(">Seriale:       ***** checksum errato, Mando NAK"));
            return;
        }
        r = AnalizzaRisposta(e.testo.left(8));
        ++RegLink::risposte().frameRicevuti;
        if (udp)
            RegLink::risposte().testoRicevuto = e.testo.chopped(e.testo.isEmpty() ? 0 : 1);
        break;
    }
    Q_EMIT rispostaAggiornata();
}

} // namespace RegLink
