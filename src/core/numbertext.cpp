#include "core/numbertext.h"

namespace tovik {

std::optional<qint32> plainNumber(const QString& text, qint32 max) {
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > max)
            return std::nullopt;
    }
    return qint32(value);
}

} // namespace tovik
