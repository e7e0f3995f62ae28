#include "views/EnergyBarModel.h"

#include "views/primitives/ViewColors.h"

#include <algorithm>

namespace pulsegrove {

QString EnergyBarModel::accessibilityLabel()
{
    return QStringLiteral("剩余额度");
}

QString EnergyBarModel::accessibilityValue(qint64 percent)
{
    return QString::asprintf("%lld", static_cast<long long>(percent)) + QStringLiteral("%");
}

qint64 EnergyBarModel::clampedPercent(qint64 percent)
{
    return std::clamp<qint64>(percent, 0, 100);
}

qreal EnergyBarModel::fillWidth(qint64 percent, qreal barWidth)
{
    return std::max<qreal>(0.0, barWidth) * static_cast<qreal>(clampedPercent(percent)) / 100.0;
}

QColor EnergyBarModel::trackColor(const QColor &tint)
{
    return ViewColors::withOpacity(tint, trackOpacity);
}

} // namespace pulsegrove
