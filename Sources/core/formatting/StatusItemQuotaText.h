#pragma once

#include "quota/RateLimitWindow.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pulsegrove {

// The status-bar title: the remaining share of the weekly window, else of the 5-hour window.
struct StatusItemQuotaText {
    StatusItemQuotaText() = delete;

    // The title when neither window is known.
    static constexpr const char *fallbackTitle = "PG";

    // 100 - usedPercent clamped to 0...100, of the weekly window even when the 5-hour window has
    // less left; nothing when both are absent.
    static std::optional<std::int64_t>
    preferredRemainingPercent(const std::optional<RateLimitWindow> &fiveHour,
                              const std::optional<RateLimitWindow> &weekly);
    // "58%", or "PG".
    static std::string title(const std::optional<RateLimitWindow> &fiveHour,
                             const std::optional<RateLimitWindow> &weekly);
};

} // namespace pulsegrove
