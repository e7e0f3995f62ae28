#pragma once

#include "analytics/UsageQuotaSnapshot.h"
#include "quota/QuotaSnapshot.h"

#include <vector>

namespace pulsegrove {

// The usage dashboard's quota rows of one snapshot: the regular 5-hour and weekly windows, then
// the Spark limit's, each only when its window is present.
struct QuotaSnapshotDashboardRows {
    QuotaSnapshotDashboardRows() = delete;

    static constexpr const char *regularLabel = "Codex 常规额度";
    static constexpr const char *sparkFallbackLabel = "GPT-5.3-Codex-Spark";

    static std::vector<UsageQuotaSnapshot> usageDashboardSnapshots(const QuotaSnapshot &snapshot,
                                                                   bool isStale);
};

} // namespace pulsegrove
