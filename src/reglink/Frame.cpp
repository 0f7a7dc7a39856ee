#include "reglink/Frame.h"

#include "core/TextFile.h"
#include "reglink/ErrorTable.h"

namespace RegLink {

namespace {

int sommaModulo(const QByteArray& bytes)
{
    int sum = 0;
    for (char c : bytes)
        sum = (sum + static_cast<unsigned char>(c)) % 256;
    return sum % 100;
}

QString dueCifre(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QByteArray incornicia(const QString& testo)
{
    QByteArray out;
    out.append(STX);
    out.append(TextFile::encode(testo));
    out.append(CalcolaChecksum(testo).toLatin1());
    out.append(ETX);
    return out;
}

bool soloCifre(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QString CalcolaChecksum(const QString& testo)
{
    return dueCifre(sommaModulo(TextFile::encode(testo)));
}

QByteArray FrameComando(const QString& comando)
{
    return incornicia(comando.trimmed());
}

QByteArray FrameTestoIntero(const QString& testo)
{
    return incornicia(testo);
}

bool ChecksumCorretto(const QString& testoEChecksum, QString* testo)
{
    const QString corpo = testoEChecksum.left(std::max<qsizetype>(0, testoEChecksum.size() - 2));
    if (testo)
        *testo = corpo;
    if (testoEChecksum.size() < 2)
        return false;
    return CalcolaChecksum(corpo) == testoEChecksum.right(2);
}

QString BinarioDaIntero(qint64 valore, int& bit)
{
    // The widening stops at 64 bits: no value needs more, and a shift past that is undefined.
    while (bit < 64 && ((bit >= 63 ? std::numeric_limits<qint64>::max() : (qint64(1) << bit) - 1) < valore))
        bit += 8;
    QString out;
    out.reserve(bit);
    for (int i = 0; i < bit; ++i)
        out.append(i < 64 && ((quint64(valore) >> i) & 1) ? QLatin1Char('1') : QLatin1Char('0'));
    return out;
}

RispostaCassaRec AnalizzaRisposta(const QString& testata)
{
    RispostaCassaRec r;
    QString numero = testata.left(2);
    QString descrizione;
    if (testata.size() < 8 || numero.trimmed().isEmpty())
        return r;
    const AzioneErrore azione = DescrizioneErrore(numero, descrizione);
    if (numero.isEmpty())
        return r; // not hexadecimal: no answer
    r.numeroErrore = numero;
    r.descrizione = descrizione;
    r.azione = azione;

    // A status byte's decimal text as eight binary digits (all zero when not a number); each flag
    // takes the digit at its position.
    using Bit = std::pair<bool RispostaCassaRec::*, int>;
    const auto leggiBit = [&r](const QString& campo, std::initializer_list<Bit> flag) {
        int n = 8;
        const QString cifre = soloCifre(campo) ? BinarioDaIntero(campo.toLongLong(), n) : QString(8, QLatin1Char('0'));
        for (const auto& [membro, posizione] : flag)
            r.*membro = cifre.at(posizione) == QLatin1Char('1');
    };
    using R = RispostaCassaRec;
    r.byteStato1 = testata.mid(3, 2);
    leggiBit(r.byteStato1, {{&R::stato1Bit1, 1},
                            {&R::stato1Bit3, 3},
                            {&R::stato1Bit4, 4},
                            {&R::stato1Bit5, 5},
                            {&R::stato1Bit6, 6},
                            {&R::stato1Bit7, 7}});
    r.byteStato2 = testata.mid(6, 2);
    leggiBit(r.byteStato2, {{&R::stato2Bit0, 0},
                            {&R::stato2Bit1, 1},
                            {&R::stato2Bit2, 2},
                            {&R::stato2Bit3, 3},
                            {&R::stato2Bit5, 5},
                            {&R::stato2Bit6, 6},
                            {&R::stato2Bit7, 7}});
    return r;
}

void AzzeraRisposta(RispostaCassaRec& r)
{
    const QString stato = r.stato;
    r = RispostaCassaRec{};
    r.stato = stato;
}

namespace {

// What a received text (after its STX) ends with: a lone ACK or NAK, a whole frame, or not yet anything.
std::optional<EventoRicezione> eventoCompleto(const QString& testo)
{
    if (testo.isEmpty())
        return std::nullopt;
    const QChar ultimo = testo.back();
    EventoRicezione e;
    if (ultimo == QChar(ACK)) {
        e.tipo = EventoRicezione::AckSolo;
    } else if (ultimo == QChar(NAK)) {
        e.tipo = EventoRicezione::NakSolo;
    } else if (ultimo == QChar(ETX)) {
        e.tipo = EventoRicezione::Frame;
        e.checksumOk = ChecksumCorretto(testo.chopped(1), &e.testo);
    } else {
        return std::nullopt;
    }
    return e;
}

} // namespace

std::optional<EventoRicezione> RicevitoreSeriale::aggiungi(const QString& dati)
{
    m_buffer += dati;
    const qsizetype stx = m_buffer.lastIndexOf(QChar(STX));
    if (stx >= 0)
        m_buffer.remove(0, stx + 1);
    if (m_buffer.isEmpty())
        return std::nullopt;
    const std::optional<EventoRicezione> e = eventoCompleto(m_buffer);
    if (e)
        m_buffer.clear();
    return e;
}

std::optional<EventoRicezione> AnalizzaDatagramma(const QString& datagramma)
{
    if (datagramma.isEmpty())
        return std::nullopt;
    return eventoCompleto(datagramma.startsWith(QChar(STX)) ? datagramma.mid(1) : datagramma);
}

std::optional<EventoRicezione> RicevitoreUDP::aggiungi(const QString& datagramma)
{
    // No reply is this long: a frame that never ends is line noise, not something to keep growing.
    constexpr qsizetype kMaxFrame = 4096;
    if (datagramma.isEmpty())
        return std::nullopt;
    const bool soloControllo =
        datagramma.size() == 1 && (datagramma.front() == QChar(ACK) || datagramma.front() == QChar(NAK));
    if (m_parziale.isEmpty() || soloControllo || datagramma.startsWith(QChar(STX))) {
        if (const auto e = AnalizzaDatagramma(datagramma)) {
            if (!soloControllo)
                m_parziale.clear();
            return e;
        }
        if (datagramma.startsWith(QChar(STX)))
            m_parziale = datagramma;
        return std::nullopt;
    }
    m_parziale += datagramma;
    if (m_parziale.size() > kMaxFrame) {
        m_parziale.clear();
        return std::nullopt;
    }
    if (m_parziale.back() != QChar(ETX))
        return std::nullopt;
    const QString frame = m_parziale;
    m_parziale.clear();
    return AnalizzaDatagramma(frame);
}

} // namespace RegLink
