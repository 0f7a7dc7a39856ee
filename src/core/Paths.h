#pragma once
// Where Tavrino keeps its files: the program folder (the executable's folder or TAVRINO_HOME),
// the settings file and data folder beside it, the program-location file in the config folder,
// and the device path behind a register or scanner port number.
#include <QString>

namespace Paths {

QString programFolder();
QString setupPath();        // <program folder>/Setup.ini
QString datiFolder();       // <program folder>/Dati
QString databasePath();     // <program folder>/Dati/DbNegozio.db
QString configFolder();     // $XDG_CONFIG_HOME or ~/.config
QString programLocationFile(); // <config folder>/DovePrg.ini
QString inProgramFolder(const QString& name);

// Port number N of the settings: <program folder>/dosdevices/com<N> when it exists, else /dev/ttyS<N-1>.
// An empty or non-numeric port gives an empty path.
QString serialPortPath(const QString& portNumber);

// Drive-letter rules of the stored settings: "X:\" is cut to "X:"; a bare drive "X:" resolves to the
// program folder here. Any other path is left alone (never cut a Linux path).
QString cutDriveRoot(const QString& path);
QString resolveFolder(const QString& stored);

} // namespace Paths
