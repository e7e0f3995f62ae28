#pragma once

#include "quota/RateLimitWindow.h"

#include <optional>
#include <string>

namespace pulsegrove {

// The spoken quota text of the status item, which its tool tip repeats.
struct StatusItemMetadataFormatter {
    StatusItemMetadataFormatter() = delete;

    // "5 小时剩余 70%，每周剩余 40%", "5 小时剩余 75%", "每周剩余 40%" or "额度不可用", followed by
    // "，数据可能已过期" when the data are stale.
    static std::string accessibilityValue(const std::optional<RateLimitWindow> &fiveHour,
                                          const std::optional<RateLimitWindow> &weekly, bool isStale);
};

} // namespace pulsegrove
