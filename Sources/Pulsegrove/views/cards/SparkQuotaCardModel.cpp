#include "views/cards/SparkQuotaCardModel.h"

#include "views/cards/QuotaCardModel.h"

#include <QColor>

namespace pulsegrove {

ViewShadow SparkQuotaCardModel::shadow()
{
    return {QColor::fromRgbF(0, 0, 0, 0.14f), 12, QPointF(0, 7)};
}

QString SparkQuotaCardModel::name(const RateLimitSnapshot &snapshot)
{
    return snapshot.limitName ? QString::fromStdString(*snapshot.limitName) : defaultName();
}

bool SparkQuotaCardModel::showsDivider(const RateLimitSnapshot &snapshot)
{
    return snapshot.fiveHourWindow() && snapshot.weeklyWindow();
}

QString CompactQuotaMeterModel::percentText(const std::optional<RateLimitWindow> &window)
{
    return window ? QuotaCardModel::remainingText(*window) : QStringLiteral("--%");
}

QString CompactQuotaMeterModel::usedText(const std::optional<RateLimitWindow> &window)
{
    return window ? QuotaCardModel::usedText(*window) : QuotaCardModel::noDataText();
}

} // namespace pulsegrove
