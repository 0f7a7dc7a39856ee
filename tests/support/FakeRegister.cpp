#include "support/FakeRegister.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <QStringEncoder>
#include <QTimer>
#include <QUdpSocket>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char STX = 2, ETX = 3, ENQ = 5, ACK = 6, NAK = 21;

// Kept apart from the program's own code on purpose: a wrong checksum there must not pass here.
QByteArray cp1252(const QString& s)
{
    QStringEncoder enc("windows-1252");
    return enc.encode(s);
}

int checksum(const QByteArray& bytes)
{
    int sum = 0;
    for (char c : bytes)
        sum = (sum + static_cast<unsigned char>(c)) % 256;
    return sum % 100;
}

QString header(int errore)
{
    return QStringLiteral("%1/00/00/").arg(errore, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QByteArray FakeRegister::frame(const QString& testo, bool guasto)
{
    const QByteArray body = cp1252(testo);
    const int cs = (checksum(body) + (guasto ? 1 : 0)) % 100;
    QByteArray out;
    out.append(STX);
    out.append(body);
    out.append(QByteArray::number(cs).rightJustified(2, '0'));
    out.append(ETX);
    return out;
}

std::unique_ptr<FakeRegister> FakeRegister::serial(TestEnv& env, int comNumber)
{
    std::unique_ptr<FakeRegister> r(new FakeRegister);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        qFatal("FakeRegister: no pseudo-terminal");
    const char* name = ptsname(master);
    if (!name)
        qFatal("FakeRegister: ptsname");
    r->m_master = master;
    r->m_slavePath = QString::fromLocal8Bit(name);
    termios tio{};
    if (tcgetattr(master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // Holding the slave open keeps the master readable between the program's opens (no EIO).
    r->m_slaveKeep = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (r->m_slaveKeep >= 0 && tcgetattr(r->m_slaveKeep, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(r->m_slaveKeep, TCSANOW, &tio);
    }

    QDir(env.home()).mkpath(QStringLiteral("dosdevices"));
    r->m_link = QDir(env.home()).filePath(QStringLiteral("dosdevices/com%1").arg(comNumber));
    QFile::remove(r->m_link);
    if (!QFile::link(r->m_slavePath, r->m_link))
        qFatal("FakeRegister: cannot link %s", qPrintable(r->m_link));

    r->m_notifier = new QSocketNotifier(master, QSocketNotifier::Read, r.get());
    connect(r->m_notifier, &QSocketNotifier::activated, r.get(), &FakeRegister::onSerialReadable);
    return r;
}

std::unique_ptr<FakeRegister> FakeRegister::udp(quint16 port)
{
    std::unique_ptr<FakeRegister> r(new FakeRegister);
    r->m_udp = new QUdpSocket(r.get());
    if (!r->m_udp->bind(QHostAddress(QStringLiteral("127.0.0.2")), port))
        qFatal("FakeRegister: cannot bind 127.0.0.2:%d", int(port));
    connect(r->m_udp, &QUdpSocket::readyRead, r.get(), &FakeRegister::onDatagram);
    return r;
}

FakeRegister::~FakeRegister()
{
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (!m_link.isEmpty())
        QFile::remove(m_link);
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
    if (m_master >= 0)
        ::close(m_master);
}

quint16 FakeRegister::port() const
{
    return m_udp ? m_udp->localPort() : 0;
}

void FakeRegister::addPlu(const Plu& p)
{
    m_plu.insert(p.barcode, p);
}

void FakeRegister::setVendite(const QString& barcode, const QString& millesimi)
{
    m_vendite.insert(barcode, millesimi);
}

void FakeRegister::clearReceived()
{
    m_received.clear();
    m_commands.clear();
    m_enq = 0;
    m_firstEnqAt = 0;
    m_lastReplyAt = 0;
}

void FakeRegister::setErrore(const QString& prefix, int numero, int times)
{
    m_errori.append({prefix, numero, times});
}

bool FakeRegister::answering() const
{
    return !m_silent && (m_dieAfter < 0 || m_answered < m_dieAfter);
}

void FakeRegister::onSerialReadable()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            feed(QByteArray(buf, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
}

void FakeRegister::onDatagram()
{
    while (m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_udp->receiveDatagram();
        m_peer = d.senderAddress();
        m_peerPort = quint16(d.senderPort());
        feed(d.data());
    }
}

void FakeRegister::feed(const QByteArray& bytes)
{
    m_received += bytes;
    for (char b : bytes) {
        if (m_inFrame) {
            if (b == ETX) {
                m_inFrame = false;
                handleFrame(m_pending);
                m_pending.clear();
            } else {
                m_pending.append(b);
            }
            continue;
        }
        if (b == STX) {
            m_inFrame = true;
            m_pending.clear();
        } else if (b == ENQ) {
            ++m_enq;
            if (m_firstEnqAt == 0)
                m_firstEnqAt = m_clock.nsecsElapsed();
            if (!answering())
                continue;
            if (m_nakEnq != 0) {
                if (m_nakEnq > 0)
                    --m_nakEnq;
                send(QByteArray(1, NAK));
            } else {
                send(QByteArray(1, ACK));
            }
        } else if (b == NAK) {
            // The program refused our last reply: send it again, as a register does.
            if (m_retransmit && !m_lastReply.isEmpty() && answering()) {
                const bool guasto = m_wrongChecksum != 0;
                if (m_wrongChecksum > 0)
                    --m_wrongChecksum;
                send(frame(m_lastReply, guasto));
            }
        }
        // ACK and CAN from the program need no answer.
    }
}

void FakeRegister::handleFrame(const QByteArray& body)
{
    const QByteArray text = body.left(body.size() - 2);
    if (body.size() < 2 || QByteArray::number(checksum(text)).rightJustified(2, '0') != body.right(2)) {
        if (answering())
            send(QByteArray(1, NAK));
        return;
    }
    QStringDecoder dec("windows-1252");
    const QString command = dec.decode(text);
    m_commands << command;
    if (m_ignoreCommands || !answering())
        return;
    if (m_ignoreNext > 0) {
        --m_ignoreNext;
        return;
    }
    if (isSerial())
        send(QByteArray(1, ACK));
    m_lastReply = reply(command);
    const bool guasto = m_wrongChecksum != 0;
    if (m_wrongChecksum > 0)
        --m_wrongChecksum;
    ++m_answered;
    send(frame(m_lastReply, guasto));
    m_lastReplyAt = m_clock.nsecsElapsed();
}

QStringList FakeRegister::commandsStartingWith(const QString& prefix) const
{
    QStringList out;
    for (const QString& c : m_commands)
        if (c.startsWith(prefix))
            out << c;
    return out;
}

QString FakeRegister::recordH(const Plu& p) const
{
    return QStringLiteral("00/00/00/%1/%2/%3/%4/%5/%6/0/0/0/%7/0/0/")
        .arg(p.barcode, p.descrizione, p.reparto, p.prezzo, p.quantita, QString::number(p.numero),
             m_vendite.value(p.barcode, QStringLiteral("0")));
}

QString FakeRegister::reply(const QString& command)
{
    for (Errore& e : m_errori) {
        if (e.times != 0 && command.startsWith(e.prefix)) {
            if (e.times > 0)
                --e.times;
            return header(e.numero);
        }
    }
    const QStringList f = command.split(QLatin1Char('/'));
    const QString kind = f.value(0);
    const bool perNumero = kind == QLatin1String("P") && f.size() >= 9;
    if (perNumero || (kind == QLatin1String("A") && f.size() >= 8)) {
        // An "A/" record is a "P/" one without the number: it keeps the number already stored.
        const int b = perNumero ? 2 : 1;
        Plu p = perNumero ? Plu{} : m_plu.value(f.at(1));
        if (perNumero)
            p.numero = f.at(1).toInt();
        p.barcode = f.at(b);
        p.descrizione = f.at(b + 1);
        p.reparto = f.at(b + 2);
        p.prezzo = f.at(b + 4);
        p.quantita = f.at(b + 6);
        p.record = command;
        m_plu.insert(p.barcode, p);
    } else if (kind == QLatin1String("D") && f.size() >= 2) {
        m_reparti.insert(f.at(1).toInt(), f);
    } else if (kind == QLatin1String("h")) {
        const auto it = m_plu.constFind(f.value(1));
        return it == m_plu.cend() ? header(7) : recordH(*it);
    } else if (kind == QLatin1String("p")) {
        const int n = f.value(1).toInt();
        for (const Plu& p : m_plu)
            if (p.numero == n)
                return recordH(p);
        return header(7);
    } else if (command == QLatin1String("J//")) {
        m_dumpK = 0;
    } else if (command == QLatin1String("K//")) {
        const QList<Plu> all = m_plu.values();
        if (m_dumpK < 0)
            m_dumpK = 0;
        if (m_dumpK >= all.size())
            return QStringLiteral("29/00/00/");
        const Plu& p = all.at(m_dumpK++);
        return QStringLiteral("00/00/00/%1/%2/%3/%4/%5/%6/0/0/0/")
            .arg(QString::number(p.numero), p.barcode, p.descrizione, p.reparto, p.prezzo,
                 m_vendite.value(p.barcode, QStringLiteral("0")));
    } else if (command == QLatin1String("n//")) {
        const QList<Plu> all = m_plu.values();
        if (m_dumpN >= all.size()) {
            m_dumpN = 0;
            return QStringLiteral("07/00/02/");
        }
        return recordH(all.at(m_dumpN++));
    }
    return header(0);
}

void FakeRegister::send(const QByteArray& bytes)
{
    QByteArray out = bytes;
    if (isSerial() && !m_stray.isEmpty() && out.startsWith(STX))
        out.prepend(m_stray);
    if (m_delayMs > 0)
        QTimer::singleShot(m_delayMs, this, [this, out] { sendNow(out); });
    else
        sendNow(out);
}

void FakeRegister::sendNow(const QByteArray& bytes)
{
    if (m_udp) {
        if (m_peer.isNull())
            return;
        if (!m_split || bytes.size() <= 3) {
            m_udp->writeDatagram(bytes, m_peer, m_peerPort);
            return;
        }
        // A reply frame in three datagrams: the first ends mid-text, the last carries the ETX.
        const qsizetype terzo = bytes.size() / 3;
        for (const QByteArray& pezzo : {bytes.left(terzo), bytes.mid(terzo, terzo), bytes.mid(2 * terzo)})
            m_udp->writeDatagram(pezzo, m_peer, m_peerPort);
        return;
    }
    if (!m_split || bytes.size() <= 3) {
        const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
        Q_UNUSED(n);
        return;
    }
    // A few bytes at a time, so the program sees the reply over several reads.
    for (qsizetype i = 0; i < bytes.size(); i += 3) {
        const QByteArray chunk = bytes.mid(i, 3);
        QTimer::singleShot(int(i / 3) * 3, this, [this, chunk] {
            const ssize_t n = ::write(m_master, chunk.constData(), size_t(chunk.size()));
            Q_UNUSED(n);
        });
    }
}
