#pragma once

#include "foundation/Date.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>

namespace pulsegrove {

// One usage window as the Codex app server reports it.
struct RateLimitWindow {
    // Share of the window already used, in per cent, as reported (not clamped).
    std::int64_t usedPercent = 0;
    std::optional<std::int64_t> windowDurationMins;
    // Next reset, Unix seconds.
    std::optional<std::int64_t> resetsAt;

    // 100 - usedPercent clamped to 0...100; never overflows, whatever was reported.
    std::int64_t remainingPercent() const;
    std::optional<Date> resetDate() const;

    // Throws DecodingError: "usedPercent" is required, the others must be integers when present.
    static RateLimitWindow fromJSON(const nlohmann::json &value);
    nlohmann::json toJSON() const;

    friend bool operator==(const RateLimitWindow &, const RateLimitWindow &) = default;
};

} // namespace pulsegrove
