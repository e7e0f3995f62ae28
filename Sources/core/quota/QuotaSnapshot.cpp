#include "quota/QuotaSnapshot.h"

#include "foundation/BoundedJSONParser.h"
#include "quota/DecodingError.h"
#include "quota/JSONFields.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

template <typename T> std::optional<T> optionalMember(const nlohmann::json &object, std::string_view key)
{
    const auto *member = JSONFields::presentMember(object, key);
    if (!member)
        return std::nullopt;
    return T::fromJSON(*member);
}

template <typename T>
void writeModelIfPresent(nlohmann::json &object, const char *key, const std::optional<T> &value)
{
    if (value)
        object[key] = value->toJSON();
}

double requiredSeconds(const nlohmann::json &object, std::string_view key)
{
    const auto *member = JSONFields::presentMember(object, key);
    if (!member || !member->is_number())
        throw DecodingError("\"" + std::string(key) + "\" is not a number");
    return member->get<double>();
}

} // namespace

QuotaSnapshot::QuotaSnapshot(const GetAccountRateLimitsResponse &response, Date fetchedAt)
    : m_spark(response.sparkRateLimits()), m_resetCredits(response.rateLimitResetCredits),
      m_fetchedAt(fetchedAt)
{
    const auto regular = response.codexRateLimits();
    m_fiveHour = regular.fiveHourWindow();
    m_weekly = regular.weeklyWindow();
    m_planType = regular.planType;
}

QuotaSnapshot::QuotaSnapshot(std::optional<RateLimitWindow> fiveHour, std::optional<RateLimitWindow> weekly,
                             std::optional<RateLimitSnapshot> spark, std::optional<std::string> planType,
                             std::optional<RateLimitResetCreditsSummary> resetCredits, Date fetchedAt)
    : m_fiveHour(std::move(fiveHour)), m_weekly(std::move(weekly)), m_spark(std::move(spark)),
      m_planType(std::move(planType)), m_resetCredits(std::move(resetCredits)), m_fetchedAt(fetchedAt)
{
}

nlohmann::json QuotaSnapshot::toJSON() const
{
    nlohmann::json object = {{"fetchedAt", m_fetchedAt.secondsSinceReferenceDate()}};
    writeModelIfPresent(object, "fiveHour", m_fiveHour);
    writeModelIfPresent(object, "weekly", m_weekly);
    writeModelIfPresent(object, "spark", m_spark);
    JSONFields::writeIfPresent(object, "planType", m_planType);
    writeModelIfPresent(object, "resetCredits", m_resetCredits);
    return object;
}

std::string QuotaSnapshot::encodeJSON() const
{
    // nlohmann writes the shortest text that reads back as the same double, so "fetchedAt"
    // round-trips exactly.
    return toJSON().dump();
}

QuotaSnapshot QuotaSnapshot::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "quota snapshot");
    RateLimitSnapshot stored;
    stored.primary = optionalMember<RateLimitWindow>(object, "fiveHour");
    stored.secondary = optionalMember<RateLimitWindow>(object, "weekly");
    return QuotaSnapshot(stored.fiveHourWindow(), stored.weeklyWindow(),
                         optionalMember<RateLimitSnapshot>(object, "spark"),
                         JSONFields::optionalString(object, "planType"),
                         optionalMember<RateLimitResetCreditsSummary>(object, "resetCredits"),
                         Date::fromReferenceSeconds(requiredSeconds(object, "fetchedAt")));
}

QuotaSnapshot QuotaSnapshot::decodeJSON(std::string_view bytes)
{
    const auto document = BoundedJSONParser::parse(bytes);
    if (!document.isParsed())
        throw DecodingError("the quota cache is not valid JSON: " + document.failure);
    return fromJSON(document.value);
}

} // namespace pulsegrove
