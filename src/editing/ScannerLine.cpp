#include "editing/ScannerLine.h"

QStringList BufferScanner::aggiungi(const QString& dati, bool* traboccato)
{
    QStringList codici;
    if (traboccato)
        *traboccato = false;
    for (const QChar c : dati) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (!m_buffer.isEmpty())
                codici << m_buffer;
            m_buffer.clear();
            continue;
        }
        if (m_buffer.size() >= kMassimo) {
            m_buffer.clear();
            if (traboccato)
                *traboccato = true;
        }
        m_buffer += c;
    }
    return codici;
}
