#pragma once

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pulsegrove {

enum class UsageQuotaKind { regular, spark };
enum class UsageQuotaWindow { fiveHour, weekly };

// One quota row of the usage dashboard. Its JSON form is what the dashboard page receives: keys
// equal to the field names, "resetAt" left out when there is no reset time.
struct UsageQuotaSnapshot {
    std::string id;
    std::string label;
    UsageQuotaKind kind = UsageQuotaKind::regular;
    UsageQuotaWindow window = UsageQuotaWindow::fiveHour;
    double remainingPercent = 0;
    double usedPercent = 0;
    // ISO 8601 internet date-times in UTC, e.g. "2026-03-01T08:00:00Z".
    std::string capturedAt;
    std::optional<std::string> resetAt;
    bool isStale = false;

    static std::string_view rawValue(UsageQuotaKind kind);
    static std::string_view rawValue(UsageQuotaWindow window);

    nlohmann::json toJSON() const;
    // The page's side: throws DecodingError for a row that lacks a field, has one of another
    // type, or names an unknown kind or window. A null "resetAt" reads as absent.
    static UsageQuotaSnapshot fromJSON(const nlohmann::json &value);
    // A list of rows, as the page's quota event carries it; decoding throws DecodingError for a
    // value that is not a list or for any malformed row.
    static nlohmann::json encodeList(const std::vector<UsageQuotaSnapshot> &rows);
    static std::vector<UsageQuotaSnapshot> decodeList(const nlohmann::json &value);

    friend bool operator==(const UsageQuotaSnapshot &, const UsageQuotaSnapshot &) = default;
};

} // namespace pulsegrove
