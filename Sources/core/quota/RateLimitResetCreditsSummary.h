#pragma once

#include "foundation/Date.h"
#include "quota/RateLimitResetCredit.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <vector>

namespace pulsegrove {

// The account's reset credits: the server's count plus whatever detail records it returned.
struct RateLimitResetCreditsSummary {
    // As counted by the server; may exceed the detail list.
    std::int64_t availableCount = 0;
    std::optional<std::vector<RateLimitResetCredit>> credits;

    std::int64_t displayAvailableCount() const;
    std::int64_t returnedAvailableDetailCount() const;
    // Credits the server counted without returning their details.
    std::int64_t missingAvailableDetailCount() const;

    // Available credits: still valid ones soonest first, then expired ones latest first, then
    // those without expiry; ties keep the server's order.
    std::vector<RateLimitResetCredit> availableCreditsForDisplay(Date now) const;
    // Up to `limit` available credits expiring strictly after `now`, soonest first.
    std::vector<RateLimitResetCredit> nearestExpiringCredits(std::int64_t limit, Date now) const;

    // Throws DecodingError; a credit that is not an object fails the whole summary.
    static RateLimitResetCreditsSummary fromJSON(const nlohmann::json &value);
    nlohmann::json toJSON() const;

    friend bool operator==(const RateLimitResetCreditsSummary &,
                           const RateLimitResetCreditsSummary &) = default;

private:
    std::vector<RateLimitResetCredit> availableCredits() const;
};

} // namespace pulsegrove
