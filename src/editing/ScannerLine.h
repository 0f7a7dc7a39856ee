#pragma once
// The article editor's barcode scanner: the buffer that turns received characters into codes
// (the line itself is opened by RegLink::ApriPortaBarCodeProdotti).
#include <QString>
#include <QStringList>

// Collects received characters; a carriage return, a line feed or both end a code, so a CR LF
// scanner never leaves its line feed in front of the next code. An empty line completes nothing.
class BufferScanner
{
public:
    static constexpr int kMassimo = 256; // longer than any barcode: a scanner without terminator

    // Appends `dati`; returns the codes it completed. *traboccato is set when the buffer
    // overran without a terminator (it is then emptied).
    QStringList aggiungi(const QString& dati, bool* traboccato = nullptr);
    QString contenuto() const { return m_buffer; }
    void svuota() { m_buffer.clear(); }

private:
    QString m_buffer;
};
