#include "core/ui/Printers.h"

#include "core/AppState.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

namespace {

const char* const kList = "TAVRINO_TEST_PRINTERS";
const char* const kDir = "TAVRINO_TEST_PRINTERS_DIR";
const char* const kFail = "TAVRINO_TEST_PRINTERS_FAIL";

// lpoptions' own code for an unknown destination.
constexpr int kUnknownPrinter = 1;
constexpr int kNotStarted = 127;
constexpr int kCrashedOrHung = -1;

QString& memoryDefault()
{
    static QString d;
    return d;
}

QString testDir()
{
    return qEnvironmentVariable(kDir);
}

QString defaultFile()
{
    const QString dir = testDir();
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QStringLiteral("default"));
}

QStringList splitNames(const QString& text)
{
    QStringList out;
    for (const QString& n : text.split(QLatin1Char(';')))
        if (!n.trimmed().isEmpty())
            out << n;
    return out;
}

int testSetDefault(const QString& name)
{
    if (!Printers::installed().contains(name))
        return kUnknownPrinter;
    if (splitNames(qEnvironmentVariable(kFail)).contains(name))
        return kUnknownPrinter;
    const QString file = defaultFile();
    if (file.isEmpty()) {
        memoryDefault() = name;
        return 0;
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return kUnknownPrinter;
    const QByteArray bytes = name.toUtf8();
    if (f.write(bytes) != bytes.size() || !f.flush())
        return kUnknownPrinter;
    return 0;
}

QString testDefault()
{
    const QString file = defaultFile();
    if (file.isEmpty())
        return memoryDefault();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// A new PDF file per job, named after the printer, so tests can match each job to its printer.
QString nextJobFile(const QString& printer)
{
    QString folder = testDir();
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    QString base;
    for (const QChar c : printer)
        base += c.isLetterOrNumber() ? c : QLatin1Char('_');
    if (base.isEmpty())
        base = QStringLiteral("stampa");
    for (int n = 1;; ++n) {
        const QString f = QDir(folder).filePath(QStringLiteral("%1-%2.pdf").arg(base).arg(n));
        if (!QFile::exists(f))
            return f;
    }
}

} // namespace

namespace Printers {

bool testBackend()
{
    return qEnvironmentVariableIsSet(kList);
}

QStringList installed()
{
    if (testBackend())
        return splitNames(qEnvironmentVariable(kList));
    return QPrinterInfo::availablePrinterNames();
}

QString systemDefault()
{
    if (testBackend())
        return testDefault();
    return QPrinterInfo::defaultPrinterName();
}

int setSystemDefault(const QString& name)
{
    if (testBackend())
        return testSetDefault(name);
    QProcess p;
    p.start(QStringLiteral("lpoptions"), {QStringLiteral("-d"), name});
    if (!p.waitForStarted(5000))
        return kNotStarted;
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(1000);
        return kCrashedOrHung;
    }
    if (p.exitStatus() != QProcess::NormalExit)
        return kCrashedOrHung;
    return p.exitCode();
}

QString current()
{
    const QString c = app().stampanteCorrente;
    return c.isEmpty() ? systemDefault() : c;
}

std::unique_ptr<QPrinter> printerFor(const QString& name, QString* errore)
{
    const QString which = name.isEmpty() ? current() : name;
    if (which.isEmpty() || !installed().contains(which)) {
        if (errore)
            *errore = which.isEmpty() ? QStringLiteral("Nessuna stampante installata")
                                      : QStringLiteral("La stampante \"%1\" non è installata").arg(which);
        return nullptr;
    }
    if (testBackend()) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(nextJobFile(which));
        p->setDocName(which);
        return p;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(which);
    if (info.isNull()) {
        if (errore)
            *errore = QStringLiteral("La stampante \"%1\" non è installata").arg(which);
        return nullptr;
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace Printers

bool ImpostaPrinter(const QString& name)
{
    if (!Printers::installed().contains(name))
        return false;
    app().stampanteCorrente = name;
    return true;
}

bool CiSonoStampanti()
{
    return !Printers::installed().isEmpty();
}
