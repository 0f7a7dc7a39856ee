#pragma once
// The installed printers, the system's default printer and the program's current printer.
// The system's printers are a service the program installs (Contesto::installaStampanti): the
// program installs StampantiCups, tests install printers of their own that write PDF files.
#include "core/Contesto.h"

#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;

// The system's printers as the program reaches them.
class StampantiSistema
{
public:
    virtual ~StampantiSistema() = default;
    // Names of the installed printers, in the system's order.
    virtual QStringList installate() = 0;
    // The system's default printer name, or empty when there is none.
    virtual QString predefinita() = 0;
    // Makes the installed printer `nome` the system's default: 0 on success, else the error code.
    virtual int impostaPredefinita(const QString& nome) = 0;
    // A job for the installed printer `nome`, one per call; nullptr when it cannot be set up.
    virtual std::unique_ptr<QPrinter> lavoro(const QString& nome) = 0;

    // The program's current printer for this session (ImpostaPrinter); empty: the system default.
    const QString& corrente() const { return m_corrente; }
    void impostaCorrente(const QString& nome) { m_corrente = nome; }

private:
    QString m_corrente;
};

// The printers of CUPS through Qt; the default is changed with "lpoptions -d" (its exit code is
// the error code; 127 when lpoptions could not be started, -1 when it crashed or hung). The
// windows keep running while it works.
class StampantiCups final : public StampantiSistema
{
public:
    QStringList installate() override;
    QString predefinita() override;
    int impostaPredefinita(const QString& nome) override;
    std::unique_ptr<QPrinter> lavoro(const QString& nome) override;
};

namespace Printers {

// Names of the installed printers, in the system's order.
QStringList installed();

// The system's default printer name, or empty when there is none.
QString systemDefault();

// Makes `name` the system's default printer. Returns 0 on success, otherwise the error code.
int setSystemDefault(const QString& name);

// The name the program prints to: its current printer, else the system default.
QString current();

// A printer set up for `name` (empty: the current printer), one new job per call. A printer that
// is not installed (or no printer at all) gives nullptr and the reason in `errore`: a job meant
// for one printer never goes to another.
std::unique_ptr<QPrinter> printerFor(const QString& name = {}, QString* errore = nullptr);

} // namespace Printers

// True when at least one printer is installed.
bool CiSonoStampanti();

// Makes the installed printer called `name` (exact comparison) the program's current printer;
// false, and no change, when no installed printer bears that name.
bool ImpostaPrinter(const QString& name);
