#pragma once

#include "analytics/UsageQuotaSnapshot.h"

#include <nlohmann/json_fwd.hpp>
#include <vector>

namespace pulsegrove {

// What the dashboard page shows. This build scans no local usage data, so the report holds only
// the quota rows, which the dashboard fills in from the quota store.
struct UsageDashboardReport {
    std::vector<UsageQuotaSnapshot> quotaSnapshots;

    nlohmann::json toJSON() const;
    // Throws DecodingError when the value is not a report or one of its rows is malformed.
    static UsageDashboardReport fromJSON(const nlohmann::json &value);

    friend bool operator==(const UsageDashboardReport &, const UsageDashboardReport &) = default;
};

} // namespace pulsegrove
