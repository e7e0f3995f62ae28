#include "quota/RateLimitResetCredit.h"

#include "quota/ASCIICaseInsensitive.h"
#include "quota/JSONFields.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

bool RateLimitResetCredit::isAvailable() const
{
    return ASCIICaseInsensitive::equals(status, "available");
}

std::optional<Date> RateLimitResetCredit::expiryDate() const
{
    if (!expiresAt)
        return std::nullopt;
    return Date::fromUnixSeconds(static_cast<double>(*expiresAt));
}

RateLimitResetCredit RateLimitResetCredit::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "reset credit");
    RateLimitResetCredit credit;
    if (const auto *status = JSONFields::presentMember(object, "status"); status && status->is_string())
        credit.status = status->get<std::string>();
    if (const auto *expiry = JSONFields::presentMember(object, "expiresAt"))
        credit.expiresAt = JSONFields::integerValue(*expiry);
    return credit;
}

nlohmann::json RateLimitResetCredit::toJSON() const
{
    nlohmann::json object = {{"status", status}};
    JSONFields::writeIfPresent(object, "expiresAt", expiresAt);
    return object;
}

} // namespace pulsegrove
