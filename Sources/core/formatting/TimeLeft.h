#pragma once

#include "foundation/Date.h"

#include <cstdint>
#include <optional>

namespace pulsegrove {

// The time left until a reset or an expiry, sorted into the stages the countdown texts tell
// apart and split into whole days, hours and minutes.
struct TimeLeft {
    enum class Stage {
        unknown,      // no instant
        passed,       // at or before now
        underAMinute, // less than 60 seconds
        minutes,      // less than 60 whole minutes
        hours,        // less than 1440 whole minutes
        days,
    };

    Stage stage = Stage::unknown;
    std::int64_t totalMinutes = 0; // truncated toward zero
    std::int64_t days = 0;         // totalMinutes / 1440
    std::int64_t hours = 0;        // (totalMinutes mod 1440) / 60
    std::int64_t minutes = 0;      // totalMinutes mod 60

    // Seconds left are the fractional difference instant - now. A span too long for 64-bit
    // minutes (a reset near the end of the integer range seen from a far past "now") counts as
    // the largest, so the conversion from floating point never overflows.
    static TimeLeft until(std::optional<Date> instant, Date now);
};

} // namespace pulsegrove
