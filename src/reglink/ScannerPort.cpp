#include "reglink/ScannerPort.h"

#include "core/AppState.h"
#include "core/ErrorLog.h"
#include "reglink/RegisterLine.h"

namespace RegLink {

namespace {

const QString kModulo = QStringLiteral("FUNZIONI");
const QString kProcedura = QStringLiteral("ApriPortaBarCodeProdotti");

} // namespace

bool ApriPortaBarCodeProdotti(QSerialPort& MSComm1)
{
    const ImpostazioniBarCode& bc = app().impostazioniBarCode;
    if (bc.portaCOM.isEmpty())
        return false;
    if (MSComm1.isOpen())
        MSComm1.close();
    QString errore;
    if (!ConfiguraPorta(MSComm1, bc.portaCOM, bc.linea, &errore)) {
        ScriviErrore(kModulo, kProcedura, errore, QStringLiteral("8002"));
        return false;
    }
    MSComm1.setReadBufferSize(2048);
    if (!ApriPortaConfigurata(MSComm1, &errore)) {
        ScriviErrore(kModulo, kProcedura, errore, QStringLiteral("8002"));
        return false;
    }
    MSComm1.clear();
    // A pseudo-terminal has no modem lines: the refusal is logged and the port used all the same.
    if (!MSComm1.setDataTerminalReady(false)) {
        ScriviErrore(kModulo, kProcedura, QStringLiteral("DTR: ") + MSComm1.errorString(), QStringLiteral("8002"));
        MSComm1.clearError();
    }
    if (MSComm1.flowControl() != QSerialPort::HardwareControl && !MSComm1.setRequestToSend(false)) {
        ScriviErrore(kModulo, kProcedura, QStringLiteral("RTS: ") + MSComm1.errorString(), QStringLiteral("8002"));
        MSComm1.clearError();
    }
    return true;
}

} // namespace RegLink
