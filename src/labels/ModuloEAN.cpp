#include "labels/ModuloEAN.h"

#include <array>

namespace ModuloEAN {
namespace {

// Left-half parity of digits 3 to 7 of an EAN-13 for each first digit: true = set B (even).
constexpr std::array<std::array<bool, 5>, 10> kParita = {{
    {false, false, false, false, false},
    {false, true, false, true, true},
    {false, true, true, false, true},
    {false, true, true, true, false},
    {true, false, false, true, true},
    {true, true, false, false, true},
    {true, true, true, false, false},
    {true, false, true, false, true},
    {true, false, true, true, false},
    {true, true, false, true, false},
}};

bool soloCifre(const QString& s)
{
    for (const QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

int cifra(const QString& s, int i)
{
    return s.at(i).unicode() - '0';
}

QChar setA(int d)
{
    return QChar(65 + d);
}
QChar setB(int d)
{
    return QChar(75 + d);
}
QChar setC(int d)
{
    return QChar(97 + d);
}

// The digit of a font character of set A, B or C, or -1.
int daSet(QChar c, char primo)
{
    const int d = c.unicode() - primo;
    return d >= 0 && d <= 9 ? d : -1;
}

} // namespace

int cifraControllo(const QString& cifre)
{
    if (cifre.isEmpty() || !soloCifre(cifre))
        return -1;
    // Weights 3 and 1 alternate from the rightmost digit.
    int somma = 0;
    for (int i = 0; i < cifre.size(); ++i) {
        const bool pesoTre = (cifre.size() - 1 - i) % 2 == 0;
        somma += cifra(cifre, i) * (pesoTre ? 3 : 1);
    }
    return (10 - somma % 10) % 10;
}

QString EAN8(QString& codice)
{
    if (codice.size() != 7 || !soloCifre(codice))
        return {};
    const QString tutte = codice + QChar('0' + cifraControllo(codice));
    QString r = QStringLiteral(":");
    for (int i = 0; i < 4; ++i)
        r += setA(cifra(tutte, i));
    r += QLatin1Char('*');
    for (int i = 4; i < 8; ++i)
        r += setC(cifra(tutte, i));
    r += QLatin1Char('+');
    codice = tutte;
    return r;
}

QString EAN13(QString& codice)
{
    if (codice.size() != 12 || !soloCifre(codice))
        return {};
    const QString tutte = codice + QChar('0' + cifraControllo(codice));
    const int primo = cifra(tutte, 0);
    QString r = tutte.left(1);
    r += setA(cifra(tutte, 1));
    for (int i = 2; i < 7; ++i)
        r += kParita[primo][i - 2] ? setB(cifra(tutte, i)) : setA(cifra(tutte, i));
    r += QLatin1Char('*');
    for (int i = 7; i < 13; ++i)
        r += setC(cifra(tutte, i));
    r += QLatin1Char('+');
    codice = tutte;
    return r;
}

QString decodifica(const QString& t)
{
    QString cifre;
    if (t.size() == 11 && t.at(0) == QLatin1Char(':') && t.at(5) == QLatin1Char('*') && t.at(10) == QLatin1Char('+')) {
        for (int i = 1; i <= 4; ++i) {
            const int d = daSet(t.at(i), 'A');
            if (d < 0)
                return {};
            cifre += QChar('0' + d);
        }
        for (int i = 6; i <= 9; ++i) {
            const int d = daSet(t.at(i), 'a');
            if (d < 0)
                return {};
            cifre += QChar('0' + d);
        }
    } else if (t.size() == 15 && t.at(7) == QLatin1Char('*') && t.at(14) == QLatin1Char('+')) {
        const int primo = t.at(0).unicode() - '0';
        if (primo < 0 || primo > 9)
            return {};
        cifre += t.at(0);
        const int secondo = daSet(t.at(1), 'A');
        if (secondo < 0)
            return {};
        cifre += QChar('0' + secondo);
        for (int i = 2; i < 7; ++i) {
            const bool b = kParita[primo][i - 2];
            const int d = daSet(t.at(i), b ? 'K' : 'A');
            if (d < 0)
                return {};
            cifre += QChar('0' + d);
        }
        for (int i = 8; i < 14; ++i) {
            const int d = daSet(t.at(i), 'a');
            if (d < 0)
                return {};
            cifre += QChar('0' + d);
        }
    } else {
        return {};
    }
    if (cifraControllo(cifre.left(cifre.size() - 1)) != cifra(cifre, cifre.size() - 1))
        return {};
    return cifre;
}

QString testoPerCodice(const QString& codice)
{
    if (codice.size() == 8) {
        QString c = codice.left(7);
        return EAN8(c);
    }
    if (codice.size() == 13) {
        QString c = codice.left(12);
        return EAN13(c);
    }
    return {};
}

} // namespace ModuloEAN
