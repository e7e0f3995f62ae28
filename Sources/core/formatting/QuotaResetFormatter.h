#pragma once

#include "formatting/TimeZone.h"
#include "foundation/Date.h"
#include "quota/RateLimitWindow.h"

#include <optional>
#include <string>

namespace pulsegrove {

// The texts that say when a rate-limit window resets. They read no clock: the caller passes
// `now` and the time zone, so equal inputs always give equal texts.
struct QuotaResetFormatter {
    QuotaResetFormatter() = delete;

    // "45分钟后重置", "1小时 30分后重置", "2天 3小时后重置": zero minutes and hours are written.
    static std::string countdown(const RateLimitWindow &window, Date now);
    // "3月5日 14:05", "3月5日 周四 14:05", "2027年1月2日 09:00"; nothing without a reset time.
    static std::optional<std::string> exactDateTime(const RateLimitWindow &window, Date now,
                                                    const TimeZone &timeZone, bool includeWeekday);
    // The countdown, followed by " · " and the exact time while the reset lies ahead.
    static std::string scheduleText(const RateLimitWindow &window, Date now, const TimeZone &timeZone,
                                    bool includeWeekday);
    // "已用 42% · " and the schedule text, for the detail rows of the native menu.
    static std::string detailText(const RateLimitWindow &window, Date now, const TimeZone &timeZone,
                                  bool includeWeekday);
};

} // namespace pulsegrove
