#pragma once

#include "foundation/Date.h"
#include "quota/QuotaSnapshot.h"

#include <optional>
#include <string>

namespace pulsegrove {

// The one-line outlook on the next quota reset that the status item's tool tip, the native
// menu and the panel's reset-hints card share. It reads no clock: equal inputs give equal hints.
struct QuotaResetHint {
    // A reset at most this far ahead counts as imminent.
    static constexpr double imminentWithinSeconds = 3600;

    std::string title;
    std::string detail;
    bool isImminent = false;

    // Looks at the 5-hour, weekly, Spark 5-hour and Spark weekly windows and picks the earliest
    // reset among them. Never fails: without a snapshot or without any reset time it says so.
    static QuotaResetHint next(const std::optional<QuotaSnapshot> &snapshot, bool isStale, Date now);

    friend bool operator==(const QuotaResetHint &, const QuotaResetHint &) = default;
};

} // namespace pulsegrove
