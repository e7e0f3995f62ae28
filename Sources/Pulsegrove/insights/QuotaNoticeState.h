#pragma once

#include "foundation/Date.h"
#include "insights/QuotaNotice.h"

#include <QList>
#include <optional>

namespace pulsegrove {

// What the notice store publishes: how far the last check got, the notices it found (in feed
// order) and when the notices shown were checked.
struct QuotaNoticeState {
    enum class Status {
        idle,        // nothing checked yet
        loading,     // a check is running
        fresh,       // notices from a check within the freshness period
        stale,       // notices from an older check that is still usable
        unavailable, // the last check failed and nothing usable is cached
    };

    Status status = Status::idle;
    QList<QuotaNotice> notices;
    std::optional<Date> checkedAt;

    friend bool operator==(const QuotaNoticeState &, const QuotaNoticeState &) = default;
};

} // namespace pulsegrove
