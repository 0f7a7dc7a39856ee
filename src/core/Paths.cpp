#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace Paths {

QString programFolder()
{
    const QByteArray home = qgetenv("TAVRINO_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QString::fromLocal8Bit(home));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString inProgramFolder(const QString& name) { return QDir(programFolder()).filePath(name); }
QString setupPath() { return inProgramFolder(QStringLiteral("Setup.ini")); }
QString datiFolder() { return inProgramFolder(QStringLiteral("Dati")); }
QString databasePath() { return QDir(datiFolder()).filePath(QStringLiteral("DbNegozio.db")); }

QString configFolder()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return QString::fromLocal8Bit(xdg);
    return QDir::home().filePath(QStringLiteral(".config"));
}

QString programLocationFile() { return QDir(configFolder()).filePath(QStringLiteral("DovePrg.ini")); }

QString serialPortPath(const QString& portNumber)
{
    bool ok = false;
    const int n = portNumber.trimmed().toInt(&ok);
    if (!ok || n < 1)
        return {};
    const QString link = QDir(inProgramFolder(QStringLiteral("dosdevices"))).filePath(QStringLiteral("com%1").arg(n));
    if (QFileInfo::exists(link) || QFileInfo(link).isSymLink())
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

static bool isDriveRoot(const QString& p)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z]:[\\\\/]$"));
    return re.match(p).hasMatch();
}

QString cutDriveRoot(const QString& path) { return isDriveRoot(path) ? path.left(2) : path; }

QString resolveFolder(const QString& stored)
{
    static const QRegularExpression bareDrive(QStringLiteral("^[A-Za-z]:[\\\\/]?$"));
    if (stored.isEmpty() || bareDrive.match(stored).hasMatch())
        return programFolder();
    return stored;
}

} // namespace Paths
