#include "formatting/QuotaResetFormatter.h"

#include "formatting/ExactDateTimeText.h"
#include "formatting/TimeLeft.h"

namespace pulsegrove {

std::string QuotaResetFormatter::countdown(const RateLimitWindow &window, Date now)
{
    const TimeLeft left = TimeLeft::until(window.resetDate(), now);
    switch (left.stage) {
    case TimeLeft::Stage::unknown:
        return "重置时间未知";
    case TimeLeft::Stage::passed:
        return "重置时间已到，等待额度状态更新";
    case TimeLeft::Stage::underAMinute:
        return "不到 1 分钟后重置";
    case TimeLeft::Stage::minutes:
        return std::to_string(left.minutes) + "分钟后重置";
    case TimeLeft::Stage::hours:
        return std::to_string(left.hours) + "小时 " + std::to_string(left.minutes) + "分后重置";
    case TimeLeft::Stage::days:
        break;
    }
    return std::to_string(left.days) + "天 " + std::to_string(left.hours) + "小时后重置";
}

std::optional<std::string> QuotaResetFormatter::exactDateTime(const RateLimitWindow &window, Date now,
                                                              const TimeZone &timeZone, bool includeWeekday)
{
    return ExactDateTimeText::format(window.resetsAt, now, timeZone, includeWeekday);
}

std::string QuotaResetFormatter::scheduleText(const RateLimitWindow &window, Date now,
                                              const TimeZone &timeZone, bool includeWeekday)
{
    std::string text = countdown(window, now);
    const auto resetDate = window.resetDate();
    // A reset that has passed shows the countdown alone: its time is no longer news.
    if (!resetDate || !(*resetDate > now))
        return text;
    if (const auto exact = exactDateTime(window, now, timeZone, includeWeekday))
        text += " · " + *exact;
    return text;
}

std::string QuotaResetFormatter::detailText(const RateLimitWindow &window, Date now, const TimeZone &timeZone,
                                            bool includeWeekday)
{
    return "已用 " + std::to_string(window.usedPercent) + "% · " +
           scheduleText(window, now, timeZone, includeWeekday);
}

} // namespace pulsegrove
