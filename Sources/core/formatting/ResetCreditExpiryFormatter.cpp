#include "formatting/ResetCreditExpiryFormatter.h"

#include "formatting/ExactDateTimeText.h"
#include "formatting/TimeLeft.h"

namespace pulsegrove {

std::string ResetCreditExpiryFormatter::relativeText(const RateLimitResetCredit &credit, Date now)
{
    const TimeLeft left = TimeLeft::until(credit.expiryDate(), now);
    switch (left.stage) {
    case TimeLeft::Stage::unknown:
        return "到期时间未知";
    case TimeLeft::Stage::passed:
        return "已到期，等待状态更新";
    case TimeLeft::Stage::underAMinute:
        return "不到 1 分钟后到期";
    case TimeLeft::Stage::minutes:
        return std::to_string(left.minutes) + "分钟后到期";
    case TimeLeft::Stage::hours:
        if (left.minutes == 0)
            return std::to_string(left.hours) + "小时后到期";
        return std::to_string(left.hours) + "小时 " + std::to_string(left.minutes) + "分后到期";
    case TimeLeft::Stage::days:
        break;
    }
    if (left.hours == 0)
        return std::to_string(left.days) + "天后到期";
    return std::to_string(left.days) + "天 " + std::to_string(left.hours) + "小时后到期";
}

std::optional<std::string> ResetCreditExpiryFormatter::exactDateTime(const RateLimitResetCredit &credit,
                                                                     Date now, const TimeZone &timeZone,
                                                                     bool includeWeekday)
{
    return ExactDateTimeText::format(credit.expiresAt, now, timeZone, includeWeekday);
}

std::string ResetCreditExpiryFormatter::detailText(const RateLimitResetCredit &credit, Date now,
                                                   const TimeZone &timeZone, bool includeWeekday)
{
    std::string text = relativeText(credit, now);
    if (const auto exact = exactDateTime(credit, now, timeZone, includeWeekday))
        text += " · " + *exact;
    return text;
}

} // namespace pulsegrove
