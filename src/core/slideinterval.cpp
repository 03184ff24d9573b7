#include "core/slideinterval.h"

namespace tovik {

int slidePeriodMs(qint32 seconds) {
    const qint32 used = seconds >= 0 && seconds <= MaxSlideInterval ? seconds : MaxSlideInterval;
    return used * 1000;
}

IntervalText parseIntervalText(const QString& text) {
    if (text.isEmpty())
        return {};
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {IntervalText::Kind::Refused, 0};
        value = value * 10 + (c.unicode() - '0');
        if (value > MaxSlideInterval)
            return {IntervalText::Kind::Refused, 0};
    }
    return {IntervalText::Kind::Seconds, qint32(value)};
}

} // namespace tovik
