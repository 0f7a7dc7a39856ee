#include "labels/ExportWorkbook.h"

#include "core/ArchivioZip.h"

#include "core/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

// The system's reason for the last failed call.
QString motivoDiSistema()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

ExportWorkbook::ExportWorkbook(const QString& destinazione)
    : m_destinazione(destinazione), m_temp(temporaneo(destinazione))
{
    // A leftover of an interrupted export is ours to replace; a link of that name is removed
    // itself, never followed to write elsewhere. The file is then made afresh, and only when its
    // name is free: a leftover that cannot go (a folder that refuses deletes) fails the export.
    const TextFile::Aperto a = TextFile::creaNuovo(m_temp, true);
    if (!a) {
        m_motivo = a.motivo;
        return;
    }
    const int fd = a.fd;
    m_creato = true;
    if (::close(fd) != 0) {
        m_motivo = Esito::fallito(VbErr::PermissionDenied, motivoDiSistema() + QStringLiteral(": ") + m_temp);
        togliTemporaneo();
        return;
    }
    // Rows go to disk as they are written, so memory stays flat whatever the archive's size; the
    // rows must come in order, and a cell behind the current row fails the export. The sheets'
    // own temporary files lie beside the workbook, on the disk the user chose, not in a /tmp that
    // may be held in memory.
    m_cartella = QFile::encodeName(QFileInfo(m_temp).absolutePath());
    lxw_workbook_options opzioni{};
    opzioni.constant_memory = LXW_TRUE;
    opzioni.tmpdir = m_cartella.data();
    m_wb = workbook_new_opt(QFile::encodeName(m_temp).constData(), &opzioni);
    if (!m_wb) {
        m_errore = LXW_ERROR_MEMORY_MALLOC_FAILED;
        return;
    }
    m_formatoData = workbook_add_format(m_wb);
    format_set_num_format(m_formatoData, "dd/mm/yyyy");
    m_formatoDataOra = workbook_add_format(m_wb);
    format_set_num_format(m_formatoDataOra, "dd/mm/yyyy hh:mm:ss");
    m_formatoDenaro = workbook_add_format(m_wb);
    format_set_num_format(m_formatoDenaro, "#,##0.00");
}

ExportWorkbook::~ExportWorkbook()
{
    if (m_wb && !m_chiuso)
        workbook_close(m_wb); // frees it; the half file goes below
    if (!m_chiuso)
        togliTemporaneo();
}

void ExportWorkbook::togliTemporaneo()
{
    if (!m_creato)
        return;
    m_creato = false;
    // What stays is a leftover the next export of the name removes.
    if (!QFile::remove(m_temp))
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("ExportWorkbook"), VbErr::PermissionDenied, m_temp);
}

QString ExportWorkbook::temporaneo(const QString& destinazione)
{
    return TextFile::temporaneo(destinazione);
}

Esito ExportWorkbook::sostituibile(const QString& destinazione)
{
    const QFileInfo fi(destinazione);
    if (!fi.exists())
        return Esito::riuscito();
    // WriteUser asks the system, which lets root write anything; the mode's own bits tell a file
    // its owner marked read-only.
    const QFile::Permissions p = QFile::permissions(destinazione);
    if (p.testFlag(QFile::WriteUser) && (p & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))
        return Esito::riuscito();
    return Esito::fallito(VbErr::PermissionDenied, QStringLiteral("file in sola lettura: ") + destinazione);
}

void ExportWorkbook::annota(int errore)
{
    if (errore != LXW_NO_ERROR && m_errore == 0)
        m_errore = errore;
}

void ExportWorkbook::contaRiga(int errore, int riga)
{
    annota(errore);
    if (errore == LXW_NO_ERROR && riga != m_ultimaRiga) {
        m_ultimaRiga = riga;
        ++m_righe.last();
    }
}

void ExportWorkbook::foglio(const QString& nome)
{
    if (!m_wb)
        return;
    m_ws = workbook_add_worksheet(m_wb, nome.toUtf8().constData());
    if (!m_ws) {
        annota(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
        return;
    }
    m_righe.append(0);
    m_ultimaRiga = -1;
}

Esito ExportWorkbook::verificaFogli() const
{
    ArchivioZip zip;
    QString errore;
    if (!zip.apri(m_temp, &errore))
        return Esito::fallito(VbErr::DiskFull, QStringLiteral("cartella di lavoro incompleta: ") + m_temp);
    static const QByteArray kFineRiga("</row>");
    static const QByteArray kFineFoglio("</worksheet>");
    for (int i = 0; i < m_righe.size(); ++i) {
        const QString nome = QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1);
        // No limit of our own: this is the file just written, not one from outside.
        std::unique_ptr<FlussoZip> f = zip.flusso(nome, std::numeric_limits<qint64>::max(), &errore);
        if (!f)
            return Esito::fallito(VbErr::DiskFull, QStringLiteral("cartella di lavoro incompleta: ") + m_temp);
        // The tail of the previous block is kept, so a mark split between two blocks is seen.
        QByteArray coda;
        int righe = 0;
        for (;;) {
            const QByteArray blocco = f->read(1 << 16);
            if (blocco.isEmpty())
                break;
            const QByteArray testo = coda + blocco;
            for (qsizetype at = testo.indexOf(kFineRiga); at >= 0; at = testo.indexOf(kFineRiga, at + 1))
                if (at + kFineRiga.size() > coda.size())
                    ++righe;
            coda = testo.right(kFineFoglio.size());
        }
        if (f->guasto() != GuastoZip::Nessuno || righe != m_righe.at(i) || !coda.endsWith(kFineFoglio))
            return Esito::fallito(VbErr::DiskFull, QStringLiteral("cartella di lavoro incompleta: ") + m_temp);
    }
    return Esito::riuscito();
}

void ExportWorkbook::testo(int riga, int col, const QString& t)
{
    if (!m_ws || t.isEmpty())
        return;
    contaRiga(worksheet_write_string(m_ws, lxw_row_t(riga), lxw_col_t(col), t.toUtf8().constData(), nullptr), riga);
}

void ExportWorkbook::numero(int riga, int col, double v, bool denaro)
{
    if (!m_ws)
        return;
    contaRiga(worksheet_write_number(m_ws, lxw_row_t(riga), lxw_col_t(col), v, denaro ? m_formatoDenaro : nullptr), riga);
}

void ExportWorkbook::numero(int riga, int col, const std::optional<double>& v, bool denaro)
{
    if (v)
        numero(riga, col, *v, denaro);
}

void ExportWorkbook::data(int riga, int col, const QDate& d)
{
    if (!m_ws || !d.isValid())
        return;
    lxw_datetime dt{};
    dt.year = d.year();
    dt.month = d.month();
    dt.day = d.day();
    contaRiga(worksheet_write_datetime(m_ws, lxw_row_t(riga), lxw_col_t(col), &dt, m_formatoData), riga);
}

void ExportWorkbook::dataOra(int riga, int col, const QDateTime& d)
{
    if (!m_ws || !d.isValid())
        return;
    lxw_datetime dt{};
    dt.year = d.date().year();
    dt.month = d.date().month();
    dt.day = d.date().day();
    dt.hour = d.time().hour();
    dt.min = d.time().minute();
    dt.sec = d.time().second();
    contaRiga(worksheet_write_datetime(m_ws, lxw_row_t(riga), lxw_col_t(col), &dt, m_formatoDataOra), riga);
}

void ExportWorkbook::intestazioni(const QStringList& nomi)
{
    for (int c = 0; c < nomi.size(); ++c)
        testo(0, c, nomi.at(c));
}

Esito ExportWorkbook::chiudi()
{
    if (m_chiuso)
        return Esito::fallito(VbErr::PathNotFound, m_destinazione);
    if (!m_wb)
        return m_motivo.ok ? Esito::fallito(VbErr::PermissionDenied, m_temp) : m_motivo;
    const lxw_error e = workbook_close(m_wb);
    m_wb = nullptr;
    annota(e);
    if (m_errore != 0) {
        // Asked before the partial file goes, which frees its room again.
        const bool pieno = discoQuasiPieno(m_temp);
        togliTemporaneo();
        return Esito::fallito(pieno ? VbErr::DiskFull : VbErr::PermissionDenied,
                              QString::fromUtf8(lxw_strerror(lxw_error(m_errore))) + QStringLiteral(": ") + m_temp);
    }
    if (const Esito e = verificaFogli(); !e) {
        togliTemporaneo();
        return e;
    }
    // It may have been made read-only while the workbook was written.
    if (const Esito e = sostituibile(m_destinazione); !e) {
        togliTemporaneo();
        return e;
    }
    // On the disk before it takes the old file's place: a crash must leave the old file, not an
    // empty new one.
    const int fd = ::open(QFile::encodeName(m_temp).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString motivo = motivoDiSistema();
        if (fd >= 0)
            ::close(fd);
        togliTemporaneo();
        return Esito::fallito(VbErr::DiskFull, motivo + QStringLiteral(": ") + m_temp);
    }
    ::close(fd);
    // rename() replaces the old file in one step: it is either the old or the whole new one.
    if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_destinazione).constData()) != 0) {
        const QString motivo = motivoDiSistema();
        togliTemporaneo();
        return Esito::fallito(VbErr::PermissionDenied, motivo + QStringLiteral(": ") + m_destinazione);
    }
    m_chiuso = true;
    return Esito::riuscito();
}
