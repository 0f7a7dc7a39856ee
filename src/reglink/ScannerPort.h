#pragma once
// The article editor's barcode scanner line (MSComm1), opened with the [BarCode] settings.
#include <QSerialPort>

namespace RegLink {

// Closes `MSComm1` when open, sets it up from app().impostazioniBarCode and opens it. An empty
// [BarCode] PortaCOM does nothing (false). Failures go to the error log (FUNZIONI /
// ApriPortaBarCodeProdotti) and give false: the editor then works without a scanner.
bool ApriPortaBarCodeProdotti(QSerialPort& MSComm1);

} // namespace RegLink
