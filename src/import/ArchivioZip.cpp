#include "import/ArchivioZip.h"

#include <QtEndian>
#include <algorithm>
#include <zlib.h>

namespace {

constexpr quint32 kFineDirectory = 0x06054b50;
constexpr quint32 kVoceDirectory = 0x02014b50;
constexpr quint32 kIntestazioneLocale = 0x04034b50;
constexpr qint64 kMassimoEsteso = qint64(1) << 31; // no member of a price list is that large

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

// Inflates (or copies) one member from the archive file, a chunk at a time.
class FlussoZip final : public QIODevice
{
public:
    FlussoZip(const QString& path, const ArchivioZip::Voce& v, qint64 inizioDati) : m_file(path), m_voce(v)
    {
        m_restanti = v.compressa;
        m_inizio = inizioDati;
    }
    ~FlussoZip() override
    {
        if (m_zInit)
            inflateEnd(&m_z);
    }
    bool avvia(QString* errore)
    {
        if (!m_file.open(QIODevice::ReadOnly) || !m_file.seek(m_inizio)) {
            *errore = QStringLiteral("archivio non leggibile");
            return false;
        }
        if (m_voce.metodo == 8) {
            m_z = z_stream{};
            if (inflateInit2(&m_z, -MAX_WBITS) != Z_OK) {
                *errore = QStringLiteral("zlib");
                return false;
            }
            m_zInit = true;
        }
        return open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_finito && QIODevice::atEnd(); }
    bool guasto = false;

protected:
    qint64 writeData(const char*, qint64) override { return -1; }
    qint64 readData(char* data, qint64 max) override
    {
        if (m_finito)
            return guasto ? -1 : 0;
        if (max <= 0)
            return 0;
        if (m_voce.metodo == 0) {
            const qint64 n = m_file.read(data, std::min<qint64>(max, m_restanti));
            if (n <= 0)
                return fine(m_restanti != 0);
            m_restanti -= n;
            m_prodotti += n;
            if (m_restanti == 0)
                m_finito = true;
            return n;
        }
        m_z.next_out = reinterpret_cast<Bytef*>(data);
        m_z.avail_out = uInt(std::min<qint64>(max, 1 << 20));
        while (m_z.avail_out > 0) {
            if (m_z.avail_in == 0 && m_restanti > 0) {
                const qint64 n = m_file.read(m_buffer, std::min<qint64>(sizeof m_buffer, m_restanti));
                if (n <= 0)
                    return fine(true);
                m_restanti -= n;
                m_z.next_in = reinterpret_cast<Bytef*>(m_buffer);
                m_z.avail_in = uInt(n);
            }
            const uInt prima = m_z.avail_out;
            const int r = inflate(&m_z, Z_NO_FLUSH);
            if (r == Z_STREAM_END) {
                m_finito = true;
                break;
            }
            if (r != Z_OK && !(r == Z_BUF_ERROR && prima != m_z.avail_out))
                return fine(true);
            if (m_z.avail_in == 0 && m_restanti == 0 && prima == m_z.avail_out)
                return fine(true); // the data ended before the stream did
        }
        const qint64 n = qint64(reinterpret_cast<char*>(m_z.next_out) - data);
        m_prodotti += n;
        if (m_prodotti > kMassimoEsteso)
            return fine(true);
        return n;
    }

private:
    qint64 fine(bool errore)
    {
        m_finito = true;
        if (errore) {
            guasto = true;
            setErrorString(QStringLiteral("dati compressi danneggiati"));
            return -1;
        }
        return 0;
    }
    QFile m_file;
    ArchivioZip::Voce m_voce;
    qint64 m_inizio = 0;
    qint64 m_restanti = 0;
    qint64 m_prodotti = 0;
    bool m_finito = false;
    bool m_zInit = false;
    z_stream m_z{};
    char m_buffer[64 * 1024];
};

} // namespace

bool danneggiato(const QIODevice& d)
{
    const auto* f = dynamic_cast<const FlussoZip*>(&d);
    return f && f->guasto;
}

bool ArchivioZip::apri(const QString& path, QString* errore)
{
    m_path = path;
    m_voci.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *errore = f.errorString();
        return false;
    }
    const qint64 dim = f.size();
    const qint64 coda = std::min<qint64>(dim, 65535 + 22);
    if (!f.seek(dim - coda)) {
        *errore = QStringLiteral("archivio non leggibile");
        return false;
    }
    const QByteArray b = f.read(coda);
    int fine = -1;
    for (int i = int(b.size()) - 22; i >= 0; --i) {
        if (u32(b.constData() + i) == kFineDirectory) {
            fine = i;
            break;
        }
    }
    if (fine < 0) {
        *errore = QStringLiteral("archivio zip senza indice (troncato?)");
        return false;
    }
    const char* e = b.constData() + fine;
    const quint16 voci = u16(e + 10);
    const quint32 dimDir = u32(e + 12);
    const quint32 offDir = u32(e + 16);
    if (qint64(offDir) + dimDir > dim || !f.seek(offDir)) {
        *errore = QStringLiteral("indice dell'archivio fuori dal file");
        return false;
    }
    const QByteArray dir = f.read(dimDir);
    if (dir.size() != qint64(dimDir)) {
        *errore = QStringLiteral("indice dell'archivio non leggibile");
        return false;
    }
    qint64 pos = 0;
    for (int i = 0; i < voci; ++i) {
        if (pos + 46 > dir.size() || u32(dir.constData() + pos) != kVoceDirectory) {
            *errore = QStringLiteral("indice dell'archivio non valido");
            return false;
        }
        const char* p = dir.constData() + pos;
        Voce v;
        v.flag = u16(p + 8);
        v.metodo = u16(p + 10);
        v.compressa = u32(p + 20);
        v.estesa = u32(p + 24);
        const quint16 lNome = u16(p + 28);
        const quint16 lExtra = u16(p + 30);
        const quint16 lCommento = u16(p + 32);
        v.offsetLocale = u32(p + 42);
        if (pos + 46 + lNome > dir.size()) {
            *errore = QStringLiteral("indice dell'archivio non valido");
            return false;
        }
        const QString nome = QString::fromUtf8(p + 46, lNome);
        m_voci.insert(nome.toLower(), v);
        pos += 46 + lNome + lExtra + lCommento;
    }
    return true;
}

std::unique_ptr<QIODevice> ArchivioZip::flusso(const QString& nome, QString* errore) const
{
    const auto it = m_voci.find(nome.toLower());
    if (it == m_voci.end()) {
        *errore = QStringLiteral("parte assente: ") + nome;
        return nullptr;
    }
    const Voce& v = *it;
    if ((v.flag & 1) || (v.metodo != 0 && v.metodo != 8) || v.compressa == 0xFFFFFFFFu) {
        *errore = QStringLiteral("parte cifrata o compressa in modo non gestito: ") + nome;
        return nullptr;
    }
    QFile f(m_path);
    char h[30];
    if (!f.open(QIODevice::ReadOnly) || !f.seek(v.offsetLocale) || f.read(h, 30) != 30 ||
        u32(h) != kIntestazioneLocale) {
        *errore = QStringLiteral("parte non leggibile: ") + nome;
        return nullptr;
    }
    const qint64 inizio = qint64(v.offsetLocale) + 30 + u16(h + 26) + u16(h + 28);
    if (inizio + v.compressa > f.size()) {
        *errore = QStringLiteral("parte troncata: ") + nome;
        return nullptr;
    }
    auto d = std::make_unique<FlussoZip>(m_path, v, inizio);
    if (!d->avvia(errore))
        return nullptr;
    return d;
}

bool ArchivioZip::leggi(const QString& nome, QByteArray& out, QString* errore) const
{
    auto d = flusso(nome, errore);
    if (!d)
        return false;
    out.clear();
    char buf[64 * 1024];
    for (;;) {
        const qint64 n = d->read(buf, sizeof buf);
        if (n < 0 || danneggiato(*d)) {
            *errore = QStringLiteral("parte danneggiata: ") + nome;
            return false;
        }
        if (n == 0)
            break;
        out.append(buf, n);
        if (out.size() > (qint64(1) << 30)) {
            *errore = QStringLiteral("parte troppo grande: ") + nome;
            return false;
        }
    }
    return true;
}
