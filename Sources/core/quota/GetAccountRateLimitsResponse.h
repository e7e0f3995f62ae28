#pragma once

#include "quota/RateLimitResetCreditsSummary.h"
#include "quota/RateLimitSnapshot.h"

#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace pulsegrove {

// The result object of "account/rateLimits/read".
struct GetAccountRateLimitsResponse {
    static constexpr const char *codexLimitId = "codex";
    static constexpr const char *sparkLimitId = "codex_bengalfox";
    static constexpr const char *sparkLimitName = "Codex-Spark";

    RateLimitSnapshot rateLimits;
    // Ordered by id, so the name fallback of sparkRateLimits() is deterministic.
    std::optional<std::map<std::string, RateLimitSnapshot>> rateLimitsByLimitId;
    std::optional<RateLimitResetCreditsSummary> rateLimitResetCredits;

    // The "codex" entry of the map when there is one, else the default limit.
    RateLimitSnapshot codexRateLimits() const;
    // The "codex_bengalfox" entry, else the first entry (by id) whose name contains "Codex-Spark"
    // in any ASCII letter case.
    std::optional<RateLimitSnapshot> sparkRateLimits() const;

    // Throws DecodingError.
    static GetAccountRateLimitsResponse fromJSON(const nlohmann::json &value);
    nlohmann::json toJSON() const;

    friend bool operator==(const GetAccountRateLimitsResponse &,
                           const GetAccountRateLimitsResponse &) = default;
};

} // namespace pulsegrove
