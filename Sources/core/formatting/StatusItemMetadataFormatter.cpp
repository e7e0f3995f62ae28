#include "formatting/StatusItemMetadataFormatter.h"

namespace pulsegrove {

namespace {

std::string remainingText(const RateLimitWindow &window)
{
    return std::to_string(window.remainingPercent()) + "%";
}

} // namespace

std::string StatusItemMetadataFormatter::accessibilityValue(const std::optional<RateLimitWindow> &fiveHour,
                                                            const std::optional<RateLimitWindow> &weekly,
                                                            bool isStale)
{
    std::string value;
    if (fiveHour && weekly)
        value = "5 小时剩余 " + remainingText(*fiveHour) + "，每周剩余 " + remainingText(*weekly);
    else if (fiveHour)
        value = "5 小时剩余 " + remainingText(*fiveHour);
    else if (weekly)
        value = "每周剩余 " + remainingText(*weekly);
    else
        value = "额度不可用";
    if (isStale)
        value += "，数据可能已过期";
    return value;
}

} // namespace pulsegrove
