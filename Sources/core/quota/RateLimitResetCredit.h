#pragma once

#include "foundation/Date.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace pulsegrove {

// One reset credit. Decoding is deliberately tolerant: an odd status or expiry must not cost the
// user the rest of the quota answer.
struct RateLimitResetCredit {
    static constexpr const char *unknownStatus = "unknown";

    // As reported, for example "available"; "unknown" when the server gave none usable.
    std::string status = unknownStatus;
    // Unix seconds.
    std::optional<std::int64_t> expiresAt;

    // "available" in any letter case; surrounding spaces make it unequal.
    bool isAvailable() const;
    std::optional<Date> expiryDate() const;

    // Throws DecodingError only when the value is not an object; bad members fall back.
    static RateLimitResetCredit fromJSON(const nlohmann::json &value);
    nlohmann::json toJSON() const;

    friend bool operator==(const RateLimitResetCredit &, const RateLimitResetCredit &) = default;
};

} // namespace pulsegrove
