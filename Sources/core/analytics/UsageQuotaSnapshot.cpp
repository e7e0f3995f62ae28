#include "analytics/UsageQuotaSnapshot.h"

#include "quota/DecodingError.h"
#include "quota/JSONFields.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

const nlohmann::json &requiredMember(const nlohmann::json &object, const char *key)
{
    const auto *member = JSONFields::presentMember(object, key);
    if (!member)
        throw DecodingError(std::string("missing \"") + key + "\"");
    return *member;
}

std::string requiredString(const nlohmann::json &object, const char *key)
{
    const auto &member = requiredMember(object, key);
    if (!member.is_string())
        throw DecodingError(std::string("\"") + key + "\" is not a text");
    return member.get<std::string>();
}

double requiredPercent(const nlohmann::json &object, const char *key)
{
    const auto &member = requiredMember(object, key);
    if (!member.is_number() || !std::isfinite(member.get<double>()))
        throw DecodingError(std::string("\"") + key + "\" is not a finite number");
    return member.get<double>();
}

template <typename Enum>
Enum requiredCase(const nlohmann::json &object, const char *key, Enum first, Enum second)
{
    const auto raw = requiredString(object, key);
    if (raw == UsageQuotaSnapshot::rawValue(first))
        return first;
    if (raw == UsageQuotaSnapshot::rawValue(second))
        return second;
    throw DecodingError(std::string("unknown \"") + key + "\" " + raw);
}

} // namespace

std::string_view UsageQuotaSnapshot::rawValue(UsageQuotaKind kind)
{
    return kind == UsageQuotaKind::regular ? "regular" : "spark";
}

std::string_view UsageQuotaSnapshot::rawValue(UsageQuotaWindow window)
{
    return window == UsageQuotaWindow::fiveHour ? "fiveHour" : "weekly";
}

nlohmann::json UsageQuotaSnapshot::toJSON() const
{
    nlohmann::json object = {
        {"id", id},
        {"label", label},
        {"kind", rawValue(kind)},
        {"window", rawValue(window)},
        {"remainingPercent", remainingPercent},
        {"usedPercent", usedPercent},
        {"capturedAt", capturedAt},
        {"isStale", isStale},
    };
    JSONFields::writeIfPresent(object, "resetAt", resetAt);
    return object;
}

UsageQuotaSnapshot UsageQuotaSnapshot::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "quota row");
    const auto &isStale = requiredMember(object, "isStale");
    if (!isStale.is_boolean())
        throw DecodingError("\"isStale\" is not a Boolean");
    return {
        requiredString(object, "id"),
        requiredString(object, "label"),
        requiredCase(object, "kind", UsageQuotaKind::regular, UsageQuotaKind::spark),
        requiredCase(object, "window", UsageQuotaWindow::fiveHour, UsageQuotaWindow::weekly),
        requiredPercent(object, "remainingPercent"),
        requiredPercent(object, "usedPercent"),
        requiredString(object, "capturedAt"),
        JSONFields::optionalString(object, "resetAt"),
        isStale.get<bool>(),
    };
}

nlohmann::json UsageQuotaSnapshot::encodeList(const std::vector<UsageQuotaSnapshot> &rows)
{
    auto array = nlohmann::json::array();
    for (const auto &row : rows)
        array.push_back(row.toJSON());
    return array;
}

std::vector<UsageQuotaSnapshot> UsageQuotaSnapshot::decodeList(const nlohmann::json &value)
{
    if (!value.is_array())
        throw DecodingError("quota rows are not a list");
    std::vector<UsageQuotaSnapshot> rows;
    for (const auto &row : value)
        rows.push_back(fromJSON(row));
    return rows;
}

} // namespace pulsegrove
