#pragma once

#include "foundation/Date.h"
#include "quota/GetAccountRateLimitsResponse.h"
#include "quota/RateLimitResetCreditsSummary.h"
#include "quota/RateLimitSnapshot.h"
#include "quota/RateLimitWindow.h"

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove {

// The quota as last known: what every surface shows and what the quota cache keeps.
class QuotaSnapshot {
public:
    QuotaSnapshot(const GetAccountRateLimitsResponse &response, Date fetchedAt);
    QuotaSnapshot(std::optional<RateLimitWindow> fiveHour, std::optional<RateLimitWindow> weekly,
                  std::optional<RateLimitSnapshot> spark, std::optional<std::string> planType,
                  std::optional<RateLimitResetCreditsSummary> resetCredits, Date fetchedAt);

    const std::optional<RateLimitWindow> &fiveHour() const { return m_fiveHour; }
    const std::optional<RateLimitWindow> &weekly() const { return m_weekly; }
    const std::optional<RateLimitSnapshot> &spark() const { return m_spark; }
    const std::optional<std::string> &planType() const { return m_planType; }
    const std::optional<RateLimitResetCreditsSummary> &resetCredits() const { return m_resetCredits; }
    Date fetchedAt() const { return m_fetchedAt; }

    // The cache form: absent members are left out, "fetchedAt" is seconds since 2001-01-01 UTC.
    nlohmann::json toJSON() const;
    std::string encodeJSON() const;
    // Throws DecodingError for anything that is not a complete snapshot; stored windows are
    // re-selected by their durations, so a hand-edited or older file cannot mislabel them.
    static QuotaSnapshot fromJSON(const nlohmann::json &value);
    static QuotaSnapshot decodeJSON(std::string_view bytes);

    friend bool operator==(const QuotaSnapshot &, const QuotaSnapshot &) = default;

private:
    std::optional<RateLimitWindow> m_fiveHour;
    std::optional<RateLimitWindow> m_weekly;
    std::optional<RateLimitSnapshot> m_spark;
    std::optional<std::string> m_planType;
    std::optional<RateLimitResetCreditsSummary> m_resetCredits;
    Date m_fetchedAt;
};

} // namespace pulsegrove
