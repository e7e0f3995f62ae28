#include "dashboard/UsageDashboardPageModel.h"

#include "formatting/ExactDateTimeText.h"
#include "formatting/InternetDateTimeText.h"
#include "formatting/SystemTimeZone.h"

#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

std::optional<QString> exactTime(const std::optional<std::string> &text, Date now,
                                 const Environment &environment)
{
    if (!text)
        return std::nullopt;
    const auto unixSeconds = InternetDateTimeText::parseUnixSeconds(*text);
    if (!unixSeconds)
        return std::nullopt;
    const auto formatted =
        ExactDateTimeText::format(unixSeconds, now, SystemTimeZone::current(environment), false);
    return formatted ? std::optional<QString>(QString::fromStdString(*formatted)) : std::nullopt;
}

} // namespace

QString UsageDashboardPageModel::title()
{
    return QString::fromUtf8("本地用量统计");
}

QString UsageDashboardPageModel::scopeNote()
{
    return QString::fromUtf8("此版本不扫描本地会话记录，这里只显示 Codex 额度。");
}

QString UsageDashboardPageModel::loadingMessage()
{
    return QString::fromUtf8("正在读取本地用量…");
}

QString UsageDashboardPageModel::emptyMessage()
{
    return QString::fromUtf8("暂无额度数据");
}

QString UsageDashboardPageModel::unreadableMessage()
{
    return QString::fromUtf8("用量数据无法读取");
}

QString UsageDashboardPageModel::loadFailedMessage()
{
    return QString::fromUtf8("本地用量统计读取失败");
}

QString UsageDashboardPageModel::windowTag(UsageQuotaWindow window)
{
    return window == UsageQuotaWindow::fiveHour ? QString::fromUtf8("5 小时") : QString::fromUtf8("每周");
}

qint64 UsageDashboardPageModel::barPercent(double remainingPercent)
{
    if (!std::isfinite(remainingPercent))
        return 0;
    return qint64(std::lround(std::clamp(remainingPercent, 0.0, 100.0)));
}

QString UsageDashboardPageModel::percentText(double percent)
{
    return QString::number(barPercent(percent)) + QLatin1Char('%');
}

QString UsageDashboardPageModel::usedText(double usedPercent)
{
    return QString::fromUtf8("已用 ") + percentText(usedPercent);
}

QString UsageDashboardPageModel::resetText(const std::optional<std::string> &resetAt, Date now,
                                           const Environment &environment)
{
    const auto time = exactTime(resetAt, now, environment);
    return time ? QString::fromUtf8("重置于 ") + *time : QString::fromUtf8("重置时间未知");
}

QString UsageDashboardPageModel::capturedText(const std::string &capturedAt, Date now,
                                              const Environment &environment)
{
    const auto time = exactTime(capturedAt, now, environment);
    return time ? QString::fromUtf8("获取于 ") + *time : QString::fromUtf8("获取时间未知");
}

std::optional<QString> UsageDashboardPageModel::staleMark(bool isStale)
{
    return isStale ? std::optional<QString>(QString::fromUtf8("缓存数据 · 可能已过期")) : std::nullopt;
}

} // namespace pulsegrove
