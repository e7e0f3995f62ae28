#include "views/panel/QuotaPanelHeaderModel.h"

namespace pulsegrove {

QString QuotaPanelHeaderModel::subtitle(const std::optional<QuotaSnapshot> &snapshot)
{
    const bool fiveHour = snapshot && snapshot->fiveHour();
    const bool weekly = snapshot && snapshot->weekly();
    if (fiveHour && weekly)
        return QStringLiteral("5 小时与每周额度");
    if (fiveHour)
        return QStringLiteral("5 小时额度实时监控");
    if (weekly)
        return QStringLiteral("每周额度实时监控");
    return QStringLiteral("实时额度与本机状态");
}

std::optional<CodexPlanTier> QuotaPanelHeaderModel::planTier(const std::optional<QuotaSnapshot> &snapshot)
{
    if (!snapshot || !snapshot->planType())
        return std::nullopt;
    return CodexPlanTier(*snapshot->planType());
}

QString QuotaPanelHeaderModel::freshnessText(bool hasSnapshot, bool isStale)
{
    if (!hasSnapshot)
        return QStringLiteral("等待");
    return isStale ? QStringLiteral("缓存") : QStringLiteral("实时");
}

ThemeColor QuotaPanelHeaderModel::freshnessDotColor(bool isStale)
{
    return isStale ? ThemeColor::secondaryText() : ThemeColor::accent();
}

} // namespace pulsegrove
