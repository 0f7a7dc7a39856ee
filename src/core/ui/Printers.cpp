#include "core/ui/Printers.h"

#include "core/Wait.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

namespace {

constexpr int kNotStarted = 127;
constexpr int kCrashedOrHung = -1;

QString nonInstallata(const QString& nome)
{
    return QStringLiteral("La stampante \"%1\" non è installata").arg(nome);
}

} // namespace

QStringList StampantiCups::installate()
{
    return QPrinterInfo::availablePrinterNames();
}

QString StampantiCups::predefinita()
{
    return QPrinterInfo::defaultPrinterName();
}

int StampantiCups::impostaPredefinita(const QString& nome)
{
    // lpoptions runs while the windows stay painted; its end is awaited, never blocked on, on the
    // clock whatever the wait scale: the limits are the process's, not the protocol's.
    QProcess p;
    bool avviato = false;
    bool nonAvviato = false;
    bool finito = false;
    QObject::connect(&p, &QProcess::started, [&avviato] { avviato = true; });
    QObject::connect(&p, &QProcess::errorOccurred, [&nonAvviato](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            nonAvviato = true;
    });
    QObject::connect(&p, &QProcess::finished, [&finito] { finito = true; });
    p.start(QStringLiteral("lpoptions"), {QStringLiteral("-d"), nome});
    if (!AttendiFincheEntro([&] { return avviato || nonAvviato; }, 5000, InputUtente::Trattenuto) || nonAvviato) {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            AttendiFincheEntro([&] { return finito; }, 1000, InputUtente::Trattenuto);
        }
        return kNotStarted;
    }
    if (!AttendiFincheEntro([&] { return finito; }, 15000, InputUtente::Trattenuto)) {
        p.kill();
        AttendiFincheEntro([&] { return finito; }, 1000, InputUtente::Trattenuto);
        return kCrashedOrHung;
    }
    if (p.exitStatus() != QProcess::NormalExit)
        return kCrashedOrHung;
    return p.exitCode();
}

std::unique_ptr<QPrinter> StampantiCups::lavoro(const QString& nome)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(nome);
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

namespace Printers {

QStringList installed()
{
    return Contesto::stampanti().installate();
}

QString systemDefault()
{
    return Contesto::stampanti().predefinita();
}

int setSystemDefault(const QString& name)
{
    return Contesto::stampanti().impostaPredefinita(name);
}

QString current()
{
    const QString c = Contesto::stampanti().corrente();
    return c.isEmpty() ? systemDefault() : c;
}

std::unique_ptr<QPrinter> printerFor(const QString& name, QString* errore)
{
    const QString which = name.isEmpty() ? current() : name;
    if (which.isEmpty() || !installed().contains(which)) {
        if (errore)
            *errore = which.isEmpty() ? QStringLiteral("Nessuna stampante installata") : nonInstallata(which);
        return nullptr;
    }
    std::unique_ptr<QPrinter> p = Contesto::stampanti().lavoro(which);
    if (!p && errore)
        *errore = nonInstallata(which);
    return p;
}

} // namespace Printers

bool ImpostaPrinter(const QString& name)
{
    if (!Printers::installed().contains(name))
        return false;
    Contesto::stampanti().impostaCorrente(name);
    return true;
}

bool CiSonoStampanti()
{
    return !Printers::installed().isEmpty();
}
