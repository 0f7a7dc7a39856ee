#pragma once
// The installed printers, the system's default printer and the program's current printer.
// Real printers come from CUPS (QPrinterInfo; the default is changed with "lpoptions -d").
// When TAVRINO_TEST_PRINTERS is set ("Etichette;A4 Ufficio") those names are the printers instead:
// the default is recorded in <TAVRINO_TEST_PRINTERS_DIR>/default (or in memory without a folder),
// jobs are written as PDF into TAVRINO_TEST_PRINTERS_DIR, and a name listed in
// TAVRINO_TEST_PRINTERS_FAIL cannot become the default.
#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;

namespace Printers {

bool testBackend();

// Names of the installed printers, in the system's order.
QStringList installed();

// The system's default printer name, or empty when there is none.
QString systemDefault();

// Makes `name` the system's default printer. Returns 0 on success, otherwise the error code
// (lpoptions' exit code; 127 when lpoptions could not be started).
int setSystemDefault(const QString& name);

// The name the program prints to: its current printer, else the system default.
QString current();

// A printer set up for `name` (empty: the current printer): the CUPS printer, or under the test
// backend a PDF file in the test folder, one new file per job. A printer that is not installed
// (or no printer at all) gives nullptr and the reason in `errore`: a job meant for one printer
// never goes to another.
std::unique_ptr<QPrinter> printerFor(const QString& name = {}, QString* errore = nullptr);

} // namespace Printers

// True when at least one printer is installed.
bool CiSonoStampanti();

// Makes the installed printer called `name` (exact comparison) the program's current printer;
// false, and no change, when no installed printer bears that name.
bool ImpostaPrinter(const QString& name);
