#include "reglink/Collegamento.h"

#include "core/Contesto.h"
#include "reglink/RegisterLine.h"

namespace RegLink {

Collegamento::Collegamento() = default;
Collegamento::~Collegamento() = default;

LineaCassa& Collegamento::linea()
{
    if (!m_linea)
        m_linea = std::make_unique<LineaCassa>();
    return *m_linea;
}

void Collegamento::chiudiLinea()
{
    m_linea.reset();
}

Timings& timings()
{
    return Contesto::collegamento().timings;
}

StatoRisposte& risposte()
{
    return Contesto::collegamento().risposte;
}

LineaCassa& linea()
{
    return Contesto::collegamento().linea();
}

} // namespace RegLink
