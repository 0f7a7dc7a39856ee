#include "import/LettoreXls.h"

#include "core/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <functional>
#include <sys/resource.h>

namespace {

const QDate kEpoca(1899, 12, 30);

// The reader writes dates as ISO text; the cell keeps the day serial as the other reader does.
Cella cellaData(int tipo, const QString& t)
{
    double serial = 0;
    if (tipo != 5) {
        const QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid())
            return Cella::daTesto(t.left(Cartella::kLunghezzaTesto));
        serial = double(kEpoca.daysTo(d));
    }
    const QString ora = tipo == 5 ? t : t.mid(11);
    const QTime tm = QTime::fromString(ora.left(8), QStringLiteral("hh:mm:ss"));
    if (tm.isValid())
        serial += tm.msecsSinceStartOfDay() / 86400000.0;
    return Cella::daSerialeData(serial);
}

// The column's letters as the spreadsheet shows them: 0 is "A", 26 is "AA".
QString lettereColonna(quint32 colonna)
{
    QString s;
    for (qint64 n = qint64(colonna) + 1; n > 0; n = (n - 1) / 26)
        s.prepend(QChar(u'A' + int((n - 1) % 26)));
    return s;
}

// The spreadsheet's own names of its error values.
QString nomeErrore(int codice)
{
    switch (codice) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0f:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1d:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2a:
        return QStringLiteral("#N/A");
    default:
        return {};
    }
}

// The user's reason for a cell without a value (`riga`, `colonna` from 0; `codice` the
// spreadsheet's error code, or another value for a cell the child cannot read).
QString motivoCella(quint32 riga, quint32 colonna, int codice)
{
    const QString cella =
        QStringLiteral("La cella della riga %1, colonna %2").arg(qint64(riga) + 1).arg(lettereColonna(colonna));
    const QString errore = nomeErrore(codice);
    if (!errore.isEmpty())
        return cella + QStringLiteral(" contiene l'errore ") + errore + QStringLiteral(": correggerla e riprovare");
    return cella + QStringLiteral(" non è leggibile (dato di un tipo sconosciuto)");
}

} // namespace

bool ProtocolloXls::violazione(const QString& e)
{
    m_rotto = true;
    m_errore = e;
    return false;
}

qsizetype ProtocolloXls::consuma()
{
    const qsizetype disp = m_buffer.size() - m_pos;
    const char* p = m_buffer.constData() + m_pos;
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(p + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(p + at); };
    const QString danneggiata = QStringLiteral("risposta del lettore .xls non valida");
    switch (m_stato) {
    case 0:
        if (disp < 6)
            return 0;
        if (std::memcmp(p, "TXLS1\n", 6) != 0)
            return violazione(danneggiata), -1;
        m_stato = 1;
        return 6;
    case 1: {
        if (disp < 1)
            return 0;
        switch (p[0]) {
        case 'F': {
            if (disp < 5)
                return 0;
            const quint32 n = u32(1);
            if (n > kMassimoNome || m_fogli >= kMassimoFogli || m_ultimaRiga >= 0)
                return violazione(danneggiata), -1;
            if (disp < 5 + qsizetype(n))
                return 0;
            ++m_fogli;
            m_destinatario.foglio(QString::fromUtf8(p + 5, n));
            return 5 + n;
        }
        case 'R': {
            if (disp < 7)
                return 0;
            const quint32 r = u32(1);
            const quint16 n = u16(5);
            if (r >= kMassimaRiga || qint64(r) <= m_ultimaRiga || n == 0 || n > kMassimeColonne)
                return violazione(danneggiata), -1;
            m_ultimaRiga = r;
            m_indiceRiga = r;
            m_celleRestanti = n;
            m_ultimaColonna = -1;
            m_ultimaPiena = -1;
            m_riga.clear();
            m_stato = 2;
            return 7;
        }
        case 'X': {
            if (disp < 8)
                return 0;
            // Nothing follows: the import stops at this cell.
            m_cellaIllegibile = true;
            return violazione(motivoCella(u32(1), u16(5), uchar(p[7]))), -1;
        }
        case 'E':
            if (disp < 2)
                return 0;
            if (p[1] < 1 || p[1] > 4)
                return violazione(danneggiata), -1;
            m_rifiuto = p[1];
            m_stato = 4;
            return 2;
        case 'Z':
            m_completo = true;
            m_stato = 4;
            return 1;
        default:
            return violazione(danneggiata), -1;
        }
    }
    case 2: {
        if (disp < 3)
            return 0;
        const quint16 col = u16(0);
        const int tipo = p[2];
        if (col >= kMassimeColonne || qint64(col) <= m_ultimaColonna || tipo < 1 || tipo > 6)
            return violazione(danneggiata), -1;
        qsizetype usati = 0;
        Cella c;
        if (tipo == 6) {
            if (disp < 4)
                return 0;
            if (uchar(p[3]) > 1)
                return violazione(danneggiata), -1;
            c = Cella::daBooleano(p[3] == 1);
            usati = 4;
        } else if (tipo == 1) {
            if (disp < 11)
                return 0;
            const quint64 bit = qFromLittleEndian<quint64>(p + 3);
            double v = 0;
            std::memcpy(&v, &bit, sizeof v);
            if (!std::isfinite(v))
                return violazione(danneggiata), -1;
            c = Cella::daNumero(v);
            usati = 11;
        } else {
            if (disp < 7)
                return 0;
            const quint32 n = u32(3);
            if (n > kMassimoTesto)
                return violazione(Cartella::troppoGrande(QStringLiteral("testo di una cella troppo lungo"))), -1;
            if (disp < 7 + qsizetype(n))
                return 0;
            const QString t = QString::fromUtf8(p + 7, n);
            if (t.size() > Cartella::kMassimoTestoCella)
                return violazione(Cartella::troppoGrande(QStringLiteral("testo di una cella troppo lungo"))), -1;
            c = tipo == 2 ? Cella::daTesto(t.left(Cartella::kLunghezzaTesto)) : cellaData(tipo, t);
            usati = 7 + n;
        }
        m_ultimaColonna = col;
        if (m_celleRestanti == 1 && (m_celle += col + 1) > kMassimeCelle)
            return violazione(Cartella::troppoGrande(QStringLiteral("troppe celle"))), -1;
        if (!c.vuota()) {
            m_riga.resize(col + 1);
            m_riga[col] = c;
            m_ultimaPiena = col;
        }
        if (--m_celleRestanti == 0) {
            m_stato = 1;
            // Only empty texts: no value, so no row, as in the .xlsx reader.
            if (m_ultimaPiena >= 0 && !m_destinatario.riga(m_indiceRiga, m_riga)) {
                m_fermato = true;
                return -1;
            }
        }
        return usati;
    }
    default: // nothing may follow the end or a refusal
        return disp == 0 ? 0 : (violazione(danneggiata), -1);
    }
}

bool ProtocolloXls::aggiungi(const char* dati, qsizetype n)
{
    if (m_rotto || m_fermato)
        return false;
    m_buffer.append(dati, n);
    for (;;) {
        const qsizetype k = consuma();
        if (k < 0) {
            if (m_fermato)
                return false;
            m_rotto = true;
            return false;
        }
        if (k == 0)
            break;
        m_pos += k;
    }
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    return true;
}

namespace LettoreXls {

QString eseguibile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tavrino-xls"));
}

bool esegui(const QString& path, int foglio, ProtocolloXls& p, QString* errore)
{
    const QString exe = eseguibile();
    if (!QFileInfo(exe).isExecutable()) {
        *errore = QStringLiteral("manca il lettore dei file .xls (%1)").arg(exe);
        return false;
    }
    QProcess proc;
    proc.setProgram(exe);
    QStringList argomenti{path};
    if (foglio >= 0)
        argomenti << QString::number(foglio);
    proc.setArguments(argomenti);
    proc.setStandardInputFile(QProcess::nullDevice());
    proc.setStandardErrorFile(QProcess::nullDevice());
    proc.setChildProcessModifier([] {
        rlimit r{};
        r.rlim_cur = r.rlim_max = rlim_t(kMemoria);
        setrlimit(RLIMIT_AS, &r);
        r.rlim_cur = kSecondiCpu;
        r.rlim_max = kSecondiCpu + 5;
        setrlimit(RLIMIT_CPU, &r);
        r.rlim_cur = r.rlim_max = 0;
        setrlimit(RLIMIT_CORE, &r);
    });
    QElapsedTimer t;
    t.start();
    proc.start(QIODevice::ReadOnly);
    // The reader runs beside the window's thread: wait for it with events running (the window
    // stays painted) and user input held back (no click starts a second import meanwhile).
    // The limits are the reader's, not pauses: measured on the clock, whatever the wait policy.
    const auto attendi = [](const std::function<bool()>& fatto, qint64 ms) {
        return AttendiFincheEntro(fatto, int(ms), InputUtente::Trattenuto);
    };
    if (!attendi([&proc] { return proc.state() != QProcess::Starting; }, 10000) ||
        proc.error() == QProcess::FailedToStart) {
        *errore = QStringLiteral("impossibile avviare il lettore dei file .xls (%1)").arg(proc.errorString());
        return false;
    }
    const auto ferma = [&] {
        proc.kill();
        attendi([&proc] { return proc.state() == QProcess::NotRunning; }, 5000);
    };
    bool tempoScaduto = false;
    for (;;) {
        const QByteArray b = proc.read(1 << 20);
        if (!b.isEmpty()) {
            if (!p.aggiungi(b.constData(), b.size())) {
                ferma();
                if (p.fermato())
                    return true;
                *errore = p.errore();
                return false;
            }
            continue;
        }
        if (proc.state() == QProcess::NotRunning)
            break;
        const qint64 resto = qint64(kSecondiAttesa) * 1000 - t.elapsed();
        if (resto <= 0) {
            tempoScaduto = true;
            ferma();
            break;
        }
        attendi([&proc] { return proc.bytesAvailable() > 0 || proc.state() == QProcess::NotRunning; },
                std::min<qint64>(resto, 1000));
    }
    if (tempoScaduto) {
        *errore =
            QStringLiteral("la lettura del file .xls ha superato il tempo massimo (%1 secondi)").arg(kSecondiAttesa);
        return false;
    }
    if (proc.exitStatus() != QProcess::NormalExit) {
        *errore = QStringLiteral("la lettura del file .xls si è interrotta: il file è danneggiato o supera i limiti "
                                 "ammessi");
        return false;
    }
    switch (p.rifiuto()) {
    case 1:
        *errore = Cartella::danneggiata(QStringLiteral("file .xls non leggibile"));
        return false;
    case 2:
        *errore = QStringLiteral("la cartella di lavoro è protetta da password");
        return false;
    case 3:
        *errore = Cartella::troppoGrande(QStringLiteral("memoria insufficiente per leggere il file .xls"));
        return false;
    case 4:
        *errore = QStringLiteral("foglio inesistente");
        return false;
    default:
        break;
    }
    if (proc.exitCode() != 0 || !p.completo()) {
        *errore = Cartella::danneggiata(QStringLiteral("risposta del lettore .xls incompleta"));
        return false;
    }
    return true;
}

} // namespace LettoreXls
