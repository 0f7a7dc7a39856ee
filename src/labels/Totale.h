#pragma once
// A total of money values kept exact: the reports and the exports add thousands of rows, and a
// plain running sum lets each addition's rounding drift into the cents.
#include <cmath>
#include <optional>

// None while nothing was added. The sum is compensated (Neumaier): the rounding of each addition
// is carried along and given back at the end.
class Totale
{
public:
    void aggiungi(const std::optional<double>& v)
    {
        if (!v)
            return;
        const double t = m_somma + *v;
        m_resto += std::abs(m_somma) >= std::abs(*v) ? (m_somma - t) + *v : (*v - t) + m_somma;
        m_somma = t;
        m_vuoto = false;
    }
    std::optional<double> valore() const
    {
        if (m_vuoto)
            return std::nullopt;
        return m_somma + m_resto;
    }

private:
    double m_somma = 0;
    double m_resto = 0;
    bool m_vuoto = true;
};
