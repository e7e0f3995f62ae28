#pragma once

#include "formatting/TimeZone.h"
#include "foundation/Date.h"
#include "quota/RateLimitResetCredit.h"

#include <optional>
#include <string>

namespace pulsegrove {

// The texts that say when a reset credit expires. Unlike the reset countdown they leave out a
// zero remainder ("2小时后到期", "1天后到期"), and the exact time is shown even once expired.
struct ResetCreditExpiryFormatter {
    ResetCreditExpiryFormatter() = delete;

    static std::string relativeText(const RateLimitResetCredit &credit, Date now);
    static std::optional<std::string> exactDateTime(const RateLimitResetCredit &credit, Date now,
                                                    const TimeZone &timeZone, bool includeWeekday);
    static std::string detailText(const RateLimitResetCredit &credit, Date now, const TimeZone &timeZone,
                                  bool includeWeekday);
};

} // namespace pulsegrove
