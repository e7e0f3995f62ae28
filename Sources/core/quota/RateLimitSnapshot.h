#pragma once

#include "quota/RateLimitWindow.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace pulsegrove {

// The state of one limit: up to two windows plus the limit's identity and plan type.
struct RateLimitSnapshot {
    static constexpr std::int64_t fiveHourWindowDurationMins = 300;
    static constexpr std::int64_t weeklyWindowDurationMins = 10080;

    std::optional<std::string> limitId;
    std::optional<std::string> limitName;
    std::optional<RateLimitWindow> primary;
    std::optional<RateLimitWindow> secondary;
    std::optional<std::string> planType;

    // Chosen by duration first; only a window without any duration falls back to its position
    // (primary for five hours, secondary for the week). Any other duration is never chosen.
    std::optional<RateLimitWindow> fiveHourWindow() const;
    std::optional<RateLimitWindow> weeklyWindow() const;
    bool hasRecognizedWindow() const;

    // Throws DecodingError; every member is optional but must have its type when present.
    static RateLimitSnapshot fromJSON(const nlohmann::json &value);
    nlohmann::json toJSON() const;

    friend bool operator==(const RateLimitSnapshot &, const RateLimitSnapshot &) = default;

private:
    std::optional<RateLimitWindow> window(std::int64_t withDuration) const;
    static std::optional<RateLimitWindow> withoutDuration(const std::optional<RateLimitWindow> &window);
};

} // namespace pulsegrove
