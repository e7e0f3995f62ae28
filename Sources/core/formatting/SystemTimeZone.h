#pragma once

#include "foundation/Environment.h"

namespace date {
class time_zone;
}

namespace pulsegrove {

// The time zone the application formats dates in: the zone named by TZ when it names a known one
// (as the platform's current time zone honours TZ), else the system's zone, else UTC. The date
// library itself ignores TZ and throws when the system's zone cannot be found; this never throws.
struct SystemTimeZone {
    SystemTimeZone() = delete;

    // Null only when not even UTC can be found; the formatters then give no exact times.
    static const date::time_zone *current(const Environment &environment);
};

} // namespace pulsegrove
