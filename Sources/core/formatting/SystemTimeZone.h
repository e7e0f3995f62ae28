#pragma once

#include "formatting/TimeZone.h"
#include "foundation/Environment.h"

#include <filesystem>

namespace pulsegrove {

// The time zone the application formats dates in, found the way the C library finds the local
// zone: TZ when it is set (":Area/City", "Area/City", an absolute path to a zone file, or a POSIX
// rule such as "CST-8" or "EST5EDT,M3.2.0,M11.1.0"; empty means UTC), else the content of
// /etc/localtime, linked or copied. The zone is named by its canonical database name where the
// database holds the same zone. Anything it cannot make sense of gives UTC, as the C library's
// clock would show; it never fails.
struct SystemTimeZone {
    SystemTimeZone() = delete;

    // Where the machine keeps its zone settings; tests point these into a folder of their own.
    struct Locations {
        std::filesystem::path localtime = "/etc/localtime";
        std::filesystem::path timezoneName = "/etc/timezone";
        // TZDIR in the environment takes its place, as it does for the C library.
        std::filesystem::path database = "/usr/share/zoneinfo";
    };

    static TimeZone current(const Environment &environment);
    static TimeZone current(const Environment &environment, const Locations &locations);
};

} // namespace pulsegrove
