#include "formatting/StatusItemQuotaText.h"

namespace pulsegrove {

std::optional<std::int64_t>
StatusItemQuotaText::preferredRemainingPercent(const std::optional<RateLimitWindow> &fiveHour,
                                               const std::optional<RateLimitWindow> &weekly)
{
    const auto &preferred = weekly ? weekly : fiveHour;
    if (!preferred)
        return std::nullopt;
    return preferred->remainingPercent();
}

std::string StatusItemQuotaText::title(const std::optional<RateLimitWindow> &fiveHour,
                                       const std::optional<RateLimitWindow> &weekly)
{
    const auto remaining = preferredRemainingPercent(fiveHour, weekly);
    return remaining ? std::to_string(*remaining) + "%" : fallbackTitle;
}

} // namespace pulsegrove
