#include "core/NumeroDigitato.h"

#include "core/VbConvert.h"

#include <QRegularExpression>

std::optional<double> numeroDaTastiera(const QString& testo)
{
    // Digits with an optional grouping of thousands, then at most one comma and its decimals.
    static const QRegularExpression re(QStringLiteral("^(\\d+|\\d{1,3}(\\.\\d{3})+)?(,\\d*)?$"));
    if (testo.isEmpty() || testo == QLatin1String(",") || !re.match(testo).hasMatch())
        return std::nullopt;
    return Vb::cdbl(testo);
}
