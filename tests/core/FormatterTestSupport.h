#pragma once

#include "formatting/TimeZone.h"
#include "foundation/Date.h"

#include <cstdint>
#include <date/date.h>
#include <stdexcept>
#include <string>

namespace pulsegrove::testing {

inline TimeZone zoneNamed(const std::string &identifier)
{
    if (auto zone = TimeZone::named(identifier))
        return *zone;
    throw std::invalid_argument("unknown zone " + identifier);
}

// Unix seconds of a wall-clock time in a named zone (a time that exists there exactly once).
inline std::int64_t unixSecondsAt(const std::string &zone, int year, unsigned month, unsigned day, int hour,
                                  int minute)
{
    const std::int64_t local = date::sys_seconds(date::sys_days(date::year(year) / month / day) +
                                                 std::chrono::hours(hour) + std::chrono::minutes(minute))
                                   .time_since_epoch()
                                   .count();
    const TimeZone timeZone = zoneNamed(zone);
    // The offset at a first guess, then at the instant that guess gives: settled across a switch.
    const std::int64_t guess = local - timeZone.offsetSeconds(local);
    return local - timeZone.offsetSeconds(guess);
}

inline Date dateAt(const std::string &zone, int year, unsigned month, unsigned day, int hour, int minute)
{
    return Date::fromUnixSeconds(double(unixSecondsAt(zone, year, month, day, hour, minute)));
}

} // namespace pulsegrove::testing
