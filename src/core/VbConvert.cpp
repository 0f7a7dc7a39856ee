#include "core/VbConvert.h"

#include <QRegularExpression>
#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

namespace Vb {

const QLocale& italian()
{
    static const QLocale loc(QLocale::Italian, QLocale::Italy);
    return loc;
}

namespace {

// Decimal digits of |x| rounded to `decimals` places, half away from zero, starting from the
// 15-significant-digit text. Returns the integer digits and the fraction digits.
void roundedDigitsFromText(double x, int decimals, QString& intPart, QString& fracPart)
{
    const QString e = QString::number(std::fabs(x), 'e', 14); // d.dddddddddddddde+XX
    const int ePos = e.indexOf(QLatin1Char('e'));
    QString mant = e.left(ePos);
    mant.remove(QLatin1Char('.'));
    const int exp = e.mid(ePos + 1).toInt();
    // value = 0.mant * 10^(exp+1); digits before the point = exp + 1
    int pointPos = exp + 1;
    QString digits = mant;
    if (pointPos <= 0) {
        digits = QString(-pointPos, QLatin1Char('0')) + digits;
        pointPos = 0;
    }
    if (digits.size() < pointPos + decimals + 1)
        digits += QString(pointPos + decimals + 1 - digits.size(), QLatin1Char('0'));
    const int keep = pointPos + decimals;
    QString kept = digits.left(keep);
    const bool up = digits.at(keep) >= QLatin1Char('5');
    if (up) {
        int i = kept.size() - 1;
        while (i >= 0) {
            if (kept[i] == QLatin1Char('9')) {
                kept[i] = QLatin1Char('0');
                --i;
            } else {
                kept[i] = QChar(kept[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) {
            kept.prepend(QLatin1Char('1'));
            ++pointPos;
        }
    }
    intPart = kept.left(pointPos);
    fracPart = kept.mid(pointPos);
    while (intPart.size() > 1 && intPart.startsWith(QLatin1Char('0')))
        intPart.remove(0, 1);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
}

constexpr quint64 kPow10[] = {1ULL,
                              10ULL,
                              100ULL,
                              1000ULL,
                              10000ULL,
                              100000ULL,
                              1000000ULL,
                              10000000ULL,
                              100000000ULL,
                              1000000000ULL,
                              10000000000ULL,
                              100000000000ULL,
                              1000000000000ULL,
                              10000000000000ULL,
                              100000000000000ULL,
                              1000000000000000ULL,
                              10000000000000000ULL,
                              100000000000000000ULL,
                              1000000000000000000ULL};

// The same rounding in integers: |x| * 10^decimals rounded as above, or false when the value is
// too large or lies so close to a tie of the 15-digit text that only that text can tell.
// A correctly rounded 17-digit text rounds to the same 15 digits as the exact value unless its
// last two digits are "50"; the money and stock amounts of the shop never get near those cases.
bool roundedScaled(double x, int decimals, quint64& scaled)
{
    if (decimals < 0 || decimals > 17)
        return false;
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 16);
    if (res.ec != std::errc())
        return false;
    // d.dddddddddddddddde[+-]XX
    const char* p = buf;
    quint64 m17 = quint64(*p++ - '0');
    if (*p++ != '.')
        return false;
    for (int i = 0; i < 16; ++i)
        m17 = m17 * 10 + quint64(*p++ - '0');
    if (*p++ != 'e')
        return false;
    const bool negExp = *p == '-';
    ++p;
    int exp = 0;
    while (p < res.ptr)
        exp = exp * 10 + (*p++ - '0');
    if (negExp)
        exp = -exp;
    if (m17 == 0) {
        scaled = 0;
        return true;
    }
    if (m17 % 100 == 50)
        return false;
    quint64 m15 = m17 / 100 + (m17 % 100 > 50 ? 1 : 0);
    if (m15 == kPow10[15]) { // 9.99...95 and up: one more digit before the point
        m15 = kPow10[14];
        ++exp;
    }
    // value = m15 * 10^(exp - 14); scaled = that * 10^decimals, rounded half up
    const int shift = exp - 14 + decimals;
    if (shift >= 0) {
        if (shift > 3) // m15 < 10^15: at most 18 digits
            return false;
        scaled = m15 * kPow10[shift];
    } else if (-shift > 18) {
        scaled = 0;
    } else {
        const quint64 div = kPow10[-shift];
        scaled = (m15 + div / 2) / div;
    }
    return true;
}

void roundedDigits(double x, int decimals, QString& intPart, QString& fracPart)
{
    quint64 scaled = 0;
    if (!roundedScaled(x, decimals, scaled)) {
        roundedDigitsFromText(x, decimals, intPart, fracPart);
        return;
    }
    const quint64 unit = kPow10[decimals];
    intPart = QString::number(scaled / unit);
    fracPart.clear();
    if (decimals > 0) {
        char frac[20];
        quint64 f = scaled % unit;
        for (int i = decimals - 1; i >= 0; --i) {
            frac[i] = char('0' + f % 10);
            f /= 10;
        }
        fracPart = QString::fromLatin1(frac, decimals);
    }
}

bool allZero(const QString& a, const QString& b)
{
    for (QChar c : a + b)
        if (c != QLatin1Char('0'))
            return false;
    return true;
}

QString group(const QString& digits, QChar sep)
{
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += sep;
        out += digits.at(i);
    }
    return out;
}

} // namespace

QString format(double x, const QString& pattern)
{
    if (!std::isfinite(x))
        return QString();
    const qsizetype dot = pattern.indexOf(QLatin1Char('.'));
    const int decimals = dot < 0 ? 0 : int(pattern.size() - dot - 1);
    const bool grouping = QStringView(pattern).left(dot < 0 ? pattern.size() : dot).contains(QLatin1Char(','));
    quint64 scaled = 0;
    if (roundedScaled(x, decimals, scaled)) {
        // Straight into one buffer: a list formats several amounts per row.
        char buf[64];
        char* const end = buf + sizeof buf;
        char* p = end;
        const bool negative = x < 0 && scaled != 0;
        for (int i = 0; i < decimals; ++i) {
            *--p = char('0' + scaled % 10);
            scaled /= 10;
        }
        if (decimals > 0)
            *--p = ',';
        int cifre = 0;
        do {
            if (grouping && cifre > 0 && cifre % 3 == 0)
                *--p = '.';
            *--p = char('0' + scaled % 10);
            scaled /= 10;
            ++cifre;
        } while (scaled != 0);
        if (negative)
            *--p = '-';
        return QString::fromLatin1(p, end - p);
    }
    QString ip, fp;
    roundedDigits(x, decimals, ip, fp);
    QString out = grouping ? group(ip, QLatin1Char('.')) : ip;
    if (decimals > 0)
        out += QLatin1Char(',') + fp;
    if (x < 0 && !allZero(ip, fp))
        out.prepend(QLatin1Char('-'));
    return out;
}

QString fixedPoint(double x, int decimals)
{
    if (!std::isfinite(x))
        x = 0;
    quint64 scaled = 0;
    if (roundedScaled(x, decimals, scaled)) {
        // Straight into one buffer: the register files format every price and quantity here.
        char buf[48];
        char* end = buf + sizeof buf;
        char* p = end;
        for (int i = 0; i < decimals; ++i) {
            *--p = char('0' + scaled % 10);
            scaled /= 10;
        }
        if (decimals > 0)
            *--p = '.';
        const bool negative = x < 0 && (scaled != 0 || std::any_of(p, end, [](char c) { return c > '0'; }));
        do {
            *--p = char('0' + scaled % 10);
            scaled /= 10;
        } while (scaled != 0);
        if (negative)
            *--p = '-';
        return QString::fromLatin1(p, end - p);
    }
    QString ip, fp;
    roundedDigits(x, decimals, ip, fp);
    QString out = ip;
    if (decimals > 0)
        out += QLatin1Char('.') + fp;
    if (x < 0 && !allZero(ip, fp))
        out.prepend(QLatin1Char('-'));
    return out;
}

double roundHalfAway(double x, int decimals)
{
    if (!std::isfinite(x))
        return x;
    quint64 scaled = 0;
    if (roundedScaled(x, decimals, scaled) && scaled < (1ULL << 53)) {
        // Both exact in a double: the quotient is the nearest double to the decimal text, as
        // reading that text back gives.
        const double v = double(scaled) / double(kPow10[decimals]);
        return x < 0 ? -v : v;
    }
    QString ip, fp;
    roundedDigits(x, decimals, ip, fp);
    const double v = (ip + QLatin1Char('.') + fp).toDouble();
    return x < 0 ? -v : v;
}

QString cstr(double x)
{
    if (!std::isfinite(x))
        return QString();
    if (x == 0)
        return QStringLiteral("0");
    // Whole numbers of up to 15 digits are their digits: no general conversion (a slow one at
    // 15 significant digits) for the codes and quantities most cells hold.
    if (std::fabs(x) < 1e15 && x == std::trunc(x))
        return QString::number(qint64(x));
    QString s = QString::number(x, 'g', 15);
    if (s.contains(QLatin1Char('e'))) {
        const double a = std::fabs(x);
        if (a >= 1e-5 && a < 1e15) {
            s = QString::number(x, 'f', 15 - int(std::floor(std::log10(a))) - 1);
            if (s.contains(QLatin1Char('.'))) {
                while (s.endsWith(QLatin1Char('0')))
                    s.chop(1);
                if (s.endsWith(QLatin1Char('.')))
                    s.chop(1);
            }
        } else {
            s.replace(QLatin1Char('e'), QLatin1Char('E'));
        }
    }
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

static std::optional<double> bankers(double x, double lo, double hi)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(x);
    std::fesetround(old);
    if (r < lo || r > hi)
        return std::nullopt;
    return r;
}

std::optional<int> cint(double x)
{
    auto r = bankers(x, -32768.0, 32767.0);
    if (!r)
        return std::nullopt;
    return int(*r);
}

std::optional<qint32> clng(double x)
{
    auto r = bankers(x, double(std::numeric_limits<qint32>::min()), double(std::numeric_limits<qint32>::max()));
    if (!r)
        return std::nullopt;
    return qint32(*r);
}

std::optional<qint64> interoLargo(double x)
{
    // 2^63 itself does not fit: the bound is the largest double below it.
    auto r = bankers(x, double(std::numeric_limits<qint64>::min()), std::nextafter(9223372036854775808.0, 0.0));
    if (!r)
        return std::nullopt;
    return qint64(*r);
}

double val(const QString& s)
{
    QString t;
    for (QChar c : s)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            t += c;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]+"));
        const auto m = hex.match(t.mid(2));
        return m.hasMatch() ? double(m.captured(0).left(16).toULongLong(nullptr, 16)) : 0.0;
    }
    if (t.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        static const QRegularExpression oct(QStringLiteral("^[0-7]+"));
        const auto m = oct.match(t.mid(2));
        return m.hasMatch() ? double(m.captured(0).left(21).toULongLong(nullptr, 8)) : 0.0;
    }
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const auto m = re.match(t);
    if (!m.hasMatch())
        return 0.0;
    QString num = m.captured(0);
    num.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok ? v : 0.0;
}

std::optional<double> cdbl(const QString& s)
{
    QString t = s.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool neg = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        neg = t.startsWith(QLatin1Char('-'));
        t = t.mid(1).trimmed();
    } else if (t.endsWith(QLatin1Char('-'))) {
        neg = true;
        t.chop(1);
    }
    static const QRegularExpression re(QStringLiteral("^(\\d[\\d.]*)?(,\\d*)?([eE][+-]?\\d+)?$"));
    const auto m = re.match(t);
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).size() <= 1))
        return std::nullopt;
    QString ip = m.captured(1);
    ip.remove(QLatin1Char('.'));
    QString num = (ip.isEmpty() ? QStringLiteral("0") : ip) + QLatin1Char('.') + m.captured(2).mid(1) + m.captured(3);
    bool ok = false;
    const double v = num.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return neg ? -v : v;
}

bool isNumeric(const QString& s)
{
    return cdbl(s).has_value();
}

QString formatDate(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QDate parseDate(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"));
    const auto m = re.match(s);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

QString isoDate(const QDate& d)
{
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}
QDate fromIso(const QString& s)
{
    return QDate::fromString(s.left(10), Qt::ISODate);
}
QString formatTime(const QTime& t)
{
    return t.toString(QStringLiteral("hh.mm.ss"));
}

} // namespace Vb
