#include "views/cards/QuotaCardModel.h"

#include "formatting/QuotaResetFormatter.h"
#include "formatting/SystemTimeZone.h"

#include <QColor>

namespace pulsegrove {

ViewShadow QuotaCardModel::shadow()
{
    return {QColor::fromRgbF(0, 0, 0, 0.16f), 14, QPointF(0, 8)};
}

QString QuotaCardModel::percentText(qint64 percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

QString QuotaCardModel::remainingText(const RateLimitWindow &window)
{
    return percentText(window.remainingPercent());
}

QString QuotaCardModel::usedText(const RateLimitWindow &window)
{
    return QStringLiteral("已用 ") + percentText(window.usedPercent);
}

QString QuotaCardModel::resetText(const RateLimitWindow &window, Date now, const Environment &environment)
{
    return QString::fromStdString(
        QuotaResetFormatter::scheduleText(window, now, SystemTimeZone::current(environment), false));
}

} // namespace pulsegrove
