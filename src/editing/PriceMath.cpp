#include "editing/PriceMath.h"

#include "core/VbConvert.h"

namespace PriceMath {

QString dueDecimali(double x)
{
    return Vb::money(x);
}

std::optional<double> numero(const QString& text)
{
    return Vb::cdbl(text);
}

std::optional<QString> ricarico(double p, double c)
{
    if (c == 0)
        return std::nullopt;
    return Vb::cstr((p - c) * 100.0 / c);
}

QString prezzoDaRicarico(double r, double c)
{
    return dueDecimali(c + r * c / 100.0);
}

QString conIva(double a, double iva)
{
    return dueDecimali(a + a * iva / 100.0);
}

} // namespace PriceMath

using PriceMath::numero;

void CalcoloPrezzi::azzera()
{
    for (auto& t : m_testi)
        t.clear();
    m_calcoloPrezziInCorso = m_calcoloPrezzoPubblico = m_calcoloRicarico = false;
}

QString CalcoloPrezzi::testo(Campo c) const
{
    return m_testi[int(c)];
}

void CalcoloPrezzi::cambia(Campo c, const QString& text)
{
    if (m_testi[int(c)] == text)
        return; // a box that gets its own text again raises no change
    m_testi[int(c)] = text;
    dopoCambio(c);
}

void CalcoloPrezzi::scrivi(Campo c, const QString& text)
{
    if (m_testi[int(c)] == text)
        return;
    m_testi[int(c)] = text;
    m_vista.scritto(c, text);
    dopoCambio(c);
}

void CalcoloPrezzi::dopoCambio(Campo c)
{
    switch (c) {
    case Campo::Acquisto: {
        const QString& a = m_testi[int(Campo::Acquisto)];
        if (!a.isEmpty() && a != QLatin1String("0") && !m_calcoloPrezziInCorso) {
            m_calcoloPrezziInCorso = true;
            calcolaPrezzi();
        }
        break;
    }
    case Campo::Iva: {
        // The VAT shown is the one used, 0 included: a VAT-free article costs its net price.
        const auto iva = numero(m_testi[int(Campo::Iva)]);
        const auto a = numero(m_testi[int(Campo::Acquisto)]);
        if (iva && a)
            scrivi(Campo::AcquistoConIva, PriceMath::conIva(*a, *iva));
        aggiornaRicarico();
        break;
    }
    case Campo::PrezzoPubblico:
        if (!m_calcoloPrezzoPubblico) {
            m_calcoloRicarico = true;
            aggiornaRicarico();
            m_calcoloRicarico = false;
        }
        break;
    case Campo::RicaricoCalcolato:
        if (!m_calcoloRicarico) {
            m_calcoloPrezzoPubblico = true;
            const auto r = numero(m_testi[int(Campo::RicaricoCalcolato)]);
            const auto c = numero(m_testi[int(Campo::AcquistoConIva)]);
            if (r && c && *c != 0)
                scrivi(Campo::PrezzoPubblico, PriceMath::prezzoDaRicarico(*r, *c));
            m_calcoloPrezzoPubblico = false;
        }
        break;
    case Campo::AcquistoConIva:
    case Campo::Ricarico:
    case Campo::Costo:
        break;
    }
}

void CalcoloPrezzi::aggiornaRicarico()
{
    const auto p = numero(m_testi[int(Campo::PrezzoPubblico)]);
    const auto c = numero(m_testi[int(Campo::AcquistoConIva)]);
    if (p && c && *c != 0)
        scrivi(Campo::RicaricoCalcolato, *PriceMath::ricarico(*p, *c));
}

void CalcoloPrezzi::calcolaPrezzi()
{
    const QString ivaTesto = m_testi[int(Campo::Iva)];
    std::optional<double> iva;
    if (ivaTesto.isEmpty()) {
        m_vista.ivaMancante();
    } else {
        iva = numero(ivaTesto);
    }
    const auto a = numero(m_testi[int(Campo::Acquisto)]);
    if (iva && a)
        scrivi(Campo::AcquistoConIva, PriceMath::conIva(*a, *iva));
    else if (!iva)
        scrivi(Campo::AcquistoConIva, QString()); // no VAT shown: no price with VAT either
    const auto ric = numero(m_testi[int(Campo::Ricarico)]);
    const auto c = numero(m_testi[int(Campo::AcquistoConIva)]);
    if (ric && c)
        scrivi(Campo::Costo, PriceMath::prezzoDaRicarico(*ric, *c));
    aggiornaRicarico();
    m_calcoloPrezziInCorso = false;
}
