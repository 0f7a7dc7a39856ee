#include "core/ArchivioZip.h"

#include <QFile>
#include <algorithm>
#include <unzip.h>

namespace {

unzFile apriUnz(const QString& path)
{
    return unzOpen64(QFile::encodeName(path).constData());
}

QString danneggiatoIn(const QString& nome, const QString& cosa)
{
    return QStringLiteral("la cartella di lavoro è danneggiata (%1: %2)").arg(nome, cosa);
}

QString troppoGrande(const QString& nome)
{
    return QStringLiteral("la cartella di lavoro supera i limiti ammessi (%1 troppo grande)").arg(nome);
}

// Makes `nome` the current member of `unz` and checks that it may be read within `limite`.
bool posiziona(unzFile unz, const QString& nome, qint64 limite, qint64* estesa, QString* errore, GuastoZip* guasto)
{
    const QByteArray n = nome.toUtf8();
    // Case-insensitive, as package part names are.
    if (n.isEmpty() || n.size() > 1024 || unzLocateFile(unz, n.constData(), 2) != UNZ_OK) {
        *errore = danneggiatoIn(nome, QStringLiteral("parte assente"));
        *guasto = GuastoZip::Assente;
        return false;
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(unz, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        *errore = danneggiatoIn(nome, QStringLiteral("voce illeggibile"));
        *guasto = GuastoZip::Danneggiato;
        return false;
    }
    if ((info.flag & 1) != 0 || (info.compression_method != 0 && info.compression_method != Z_DEFLATED)) {
        *errore = danneggiatoIn(nome, QStringLiteral("cifrata o compressa in un modo non ammesso"));
        *guasto = GuastoZip::Danneggiato;
        return false;
    }
    if (info.uncompressed_size > quint64(limite)) {
        *errore = troppoGrande(nome);
        *guasto = GuastoZip::TroppoGrande;
        return false;
    }
    if (unzOpenCurrentFile(unz) != UNZ_OK) {
        *errore = danneggiatoIn(nome, QStringLiteral("dati illeggibili"));
        *guasto = GuastoZip::Danneggiato;
        return false;
    }
    *estesa = qint64(info.uncompressed_size);
    return true;
}

} // namespace

ArchivioZip::ArchivioZip() = default;

ArchivioZip::~ArchivioZip()
{
    if (m_unz)
        unzClose(m_unz);
}

bool ArchivioZip::apri(const QString& path, QString* errore)
{
    m_path = path;
    m_unz = apriUnz(path);
    if (!m_unz) {
        *errore = QStringLiteral("la cartella di lavoro è danneggiata (archivio zip illeggibile)");
        return false;
    }
    unz_global_info64 g{};
    if (unzGetGlobalInfo64(m_unz, &g) != UNZ_OK || g.number_entry > quint64(kMassimoVoci)) {
        *errore = QStringLiteral("la cartella di lavoro supera i limiti ammessi (troppe parti)");
        return false;
    }
    return true;
}

bool ArchivioZip::contiene(const QString& nome) const
{
    const QByteArray n = nome.toUtf8();
    return m_unz && !n.isEmpty() && n.size() <= 1024 && unzLocateFile(m_unz, n.constData(), 2) == UNZ_OK;
}

bool ArchivioZip::leggi(const QString& nome, QByteArray& out, qint64 limite, QString* errore, GuastoZip* guasto) const
{
    GuastoZip g = GuastoZip::Nessuno;
    if (!guasto)
        guasto = &g;
    out.clear();
    qint64 estesa = 0;
    if (!m_unz || !posiziona(m_unz, nome, limite, &estesa, errore, guasto))
        return false;
    out.resize(estesa);
    qint64 letti = 0;
    int n = 0;
    // Never more than the directory promised: a member that inflates further is cut there and
    // then fails its CRC.
    while (letti < estesa &&
           (n = unzReadCurrentFile(m_unz, out.data() + letti, unsigned(std::min<qint64>(estesa - letti, 1 << 20)))) > 0)
        letti += n;
    const int chiusura = unzCloseCurrentFile(m_unz);
    if (n < 0 || letti != estesa || chiusura != UNZ_OK) {
        out.clear();
        *errore = danneggiatoIn(nome, chiusura == UNZ_CRCERROR ? QStringLiteral("CRC errato")
                                                               : QStringLiteral("dati compressi non validi"));
        *guasto = GuastoZip::Danneggiato;
        return false;
    }
    return true;
}

std::unique_ptr<FlussoZip> ArchivioZip::flusso(const QString& nome, qint64 limite, QString* errore,
                                               GuastoZip* guasto) const
{
    GuastoZip g = GuastoZip::Nessuno;
    if (!guasto)
        guasto = &g;
    // A stream of its own: the archive's handle stays free for other members.
    std::unique_ptr<FlussoZip> f(new FlussoZip);
    f->m_unz = apriUnz(m_path);
    f->m_nome = nome;
    if (!f->m_unz) {
        *errore = QStringLiteral("la cartella di lavoro non è più leggibile");
        *guasto = GuastoZip::Danneggiato;
        return nullptr;
    }
    if (!posiziona(f->m_unz, nome, limite, &f->m_attesi, errore, guasto))
        return nullptr;
    f->open(QIODevice::ReadOnly);
    return f;
}

FlussoZip::~FlussoZip()
{
    if (m_unz) {
        unzCloseCurrentFile(m_unz);
        unzClose(m_unz);
    }
}

bool FlussoZip::atEnd() const
{
    return m_finito && QIODevice::atEnd();
}

qint64 FlussoZip::fine(GuastoZip g, const QString& motivo)
{
    m_finito = true;
    m_guasto = g;
    if (g != GuastoZip::Nessuno)
        setErrorString(motivo);
    return g == GuastoZip::Nessuno ? 0 : -1;
}

qint64 FlussoZip::readData(char* data, qint64 max)
{
    if (m_finito)
        return m_guasto == GuastoZip::Nessuno ? 0 : -1;
    if (max <= 0)
        return 0;
    const qint64 resto = m_attesi - m_letti;
    if (resto > 0) {
        const int n = unzReadCurrentFile(m_unz, data, unsigned(std::min<qint64>({max, resto, 1 << 20})));
        if (n > 0) {
            m_letti += n;
            return n;
        }
        if (n < 0)
            return fine(GuastoZip::Danneggiato, danneggiatoIn(m_nome, QStringLiteral("dati compressi non validi")));
        return fine(GuastoZip::Danneggiato, danneggiatoIn(m_nome, QStringLiteral("parte troncata")));
    }
    // The whole member was read: its CRC decides.
    if (unzCloseCurrentFile(m_unz) != UNZ_OK)
        return fine(GuastoZip::Danneggiato, danneggiatoIn(m_nome, QStringLiteral("CRC errato")));
    return fine(GuastoZip::Nessuno, {});
}
