#pragma once

#include "foundation/Date.h"

#include <cstdint>
#include <date/tz.h>
#include <string>

namespace pulsegrove::testing {

// Unix seconds of a wall-clock time in a named zone.
inline std::int64_t unixSecondsAt(const std::string &zone, int year, unsigned month, unsigned day, int hour,
                                  int minute)
{
    const date::local_seconds local = date::local_days(date::year(year) / month / day) +
                                      std::chrono::hours(hour) + std::chrono::minutes(minute);
    return date::make_zoned(zone, local).get_sys_time().time_since_epoch().count();
}

inline Date dateAt(const std::string &zone, int year, unsigned month, unsigned day, int hour, int minute)
{
    return Date::fromUnixSeconds(double(unixSecondsAt(zone, year, month, day, hour, minute)));
}

} // namespace pulsegrove::testing
