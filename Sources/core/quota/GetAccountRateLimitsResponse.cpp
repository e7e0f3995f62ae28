#include "quota/GetAccountRateLimitsResponse.h"

#include "quota/ASCIICaseInsensitive.h"
#include "quota/DecodingError.h"
#include "quota/JSONFields.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

std::map<std::string, RateLimitSnapshot> decodeLimitMap(const nlohmann::json &value)
{
    if (!value.is_object())
        throw DecodingError("\"rateLimitsByLimitId\" is not a JSON object");
    std::map<std::string, RateLimitSnapshot> limits;
    for (const auto &[id, snapshot] : value.items())
        limits.emplace(id, RateLimitSnapshot::fromJSON(snapshot));
    return limits;
}

} // namespace

RateLimitSnapshot GetAccountRateLimitsResponse::codexRateLimits() const
{
    if (rateLimitsByLimitId) {
        if (const auto found = rateLimitsByLimitId->find(codexLimitId); found != rateLimitsByLimitId->end())
            return found->second;
    }
    return rateLimits;
}

std::optional<RateLimitSnapshot> GetAccountRateLimitsResponse::sparkRateLimits() const
{
    if (!rateLimitsByLimitId)
        return std::nullopt;
    if (const auto found = rateLimitsByLimitId->find(sparkLimitId); found != rateLimitsByLimitId->end())
        return found->second;
    for (const auto &[id, snapshot] : *rateLimitsByLimitId) {
        if (snapshot.limitName && ASCIICaseInsensitive::contains(*snapshot.limitName, sparkLimitName))
            return snapshot;
    }
    return std::nullopt;
}

GetAccountRateLimitsResponse GetAccountRateLimitsResponse::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "rate-limits response");
    GetAccountRateLimitsResponse response;
    const auto *rateLimits = JSONFields::presentMember(object, "rateLimits");
    if (!rateLimits)
        throw DecodingError("\"rateLimits\" is missing");
    response.rateLimits = RateLimitSnapshot::fromJSON(*rateLimits);
    if (const auto *limits = JSONFields::presentMember(object, "rateLimitsByLimitId"))
        response.rateLimitsByLimitId = decodeLimitMap(*limits);
    if (const auto *credits = JSONFields::presentMember(object, "rateLimitResetCredits"))
        response.rateLimitResetCredits = RateLimitResetCreditsSummary::fromJSON(*credits);
    return response;
}

nlohmann::json GetAccountRateLimitsResponse::toJSON() const
{
    nlohmann::json object = {{"rateLimits", rateLimits.toJSON()}};
    if (rateLimitsByLimitId) {
        auto &limits = object["rateLimitsByLimitId"] = nlohmann::json::object();
        for (const auto &[id, snapshot] : *rateLimitsByLimitId)
            limits[id] = snapshot.toJSON();
    }
    if (rateLimitResetCredits)
        object["rateLimitResetCredits"] = rateLimitResetCredits->toJSON();
    return object;
}

} // namespace pulsegrove
