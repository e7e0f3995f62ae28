#include "quota/RateLimitSnapshot.h"

#include "quota/JSONFields.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

std::optional<RateLimitWindow> optionalWindow(const nlohmann::json &object, std::string_view key)
{
    const auto *member = JSONFields::presentMember(object, key);
    if (!member)
        return std::nullopt;
    return RateLimitWindow::fromJSON(*member);
}

} // namespace

std::optional<RateLimitWindow> RateLimitSnapshot::window(std::int64_t withDuration) const
{
    for (const auto *candidate : {&primary, &secondary}) {
        if (*candidate && (*candidate)->windowDurationMins == withDuration)
            return *candidate;
    }
    return std::nullopt;
}

std::optional<RateLimitWindow>
RateLimitSnapshot::withoutDuration(const std::optional<RateLimitWindow> &window)
{
    if (window && !window->windowDurationMins)
        return window;
    return std::nullopt;
}

std::optional<RateLimitWindow> RateLimitSnapshot::fiveHourWindow() const
{
    if (auto found = window(fiveHourWindowDurationMins))
        return found;
    return withoutDuration(primary);
}

std::optional<RateLimitWindow> RateLimitSnapshot::weeklyWindow() const
{
    if (auto found = window(weeklyWindowDurationMins))
        return found;
    return withoutDuration(secondary);
}

bool RateLimitSnapshot::hasRecognizedWindow() const
{
    return fiveHourWindow().has_value() || weeklyWindow().has_value();
}

RateLimitSnapshot RateLimitSnapshot::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "rate-limit snapshot");
    RateLimitSnapshot snapshot;
    snapshot.limitId = JSONFields::optionalString(object, "limitId");
    snapshot.limitName = JSONFields::optionalString(object, "limitName");
    snapshot.primary = optionalWindow(object, "primary");
    snapshot.secondary = optionalWindow(object, "secondary");
    snapshot.planType = JSONFields::optionalString(object, "planType");
    return snapshot;
}

nlohmann::json RateLimitSnapshot::toJSON() const
{
    nlohmann::json object = nlohmann::json::object();
    JSONFields::writeIfPresent(object, "limitId", limitId);
    JSONFields::writeIfPresent(object, "limitName", limitName);
    if (primary)
        object["primary"] = primary->toJSON();
    if (secondary)
        object["secondary"] = secondary->toJSON();
    JSONFields::writeIfPresent(object, "planType", planType);
    return object;
}

} // namespace pulsegrove
