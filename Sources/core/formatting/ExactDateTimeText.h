#pragma once

#include "formatting/TimeZone.h"
#include "foundation/Date.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pulsegrove {

// The calendar text of an instant shared by the reset and the credit formatters, for example
// "3月5日 周四 14:05", or "2027年1月2日 09:00" when the instant's year differs from the year of
// `now`. Fields are Gregorian, in the given time zone, never the machine's.
struct ExactDateTimeText {
    ExactDateTimeText() = delete;

    // Nothing without an instant, without a time zone, or for an instant outside the years
    // 1 to 32767 that the calendar covers.
    static std::optional<std::string> format(std::optional<std::int64_t> unixSeconds, Date now,
                                             const TimeZone &timeZone, bool includeWeekday);
};

} // namespace pulsegrove
