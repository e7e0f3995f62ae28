#include "quota/RateLimitWindow.h"

#include "quota/JSONFields.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

std::int64_t RateLimitWindow::remainingPercent() const
{
    // Compare before subtracting: 100 - usedPercent overflows for hugely negative values.
    if (usedPercent <= 0)
        return 100;
    if (usedPercent >= 100)
        return 0;
    return 100 - usedPercent;
}

std::optional<Date> RateLimitWindow::resetDate() const
{
    if (!resetsAt)
        return std::nullopt;
    return Date::fromUnixSeconds(static_cast<double>(*resetsAt));
}

RateLimitWindow RateLimitWindow::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "rate-limit window");
    RateLimitWindow window;
    window.usedPercent = JSONFields::requiredInteger(object, "usedPercent");
    window.windowDurationMins = JSONFields::optionalInteger(object, "windowDurationMins");
    window.resetsAt = JSONFields::optionalInteger(object, "resetsAt");
    return window;
}

nlohmann::json RateLimitWindow::toJSON() const
{
    nlohmann::json object = {{"usedPercent", usedPercent}};
    JSONFields::writeIfPresent(object, "windowDurationMins", windowDurationMins);
    JSONFields::writeIfPresent(object, "resetsAt", resetsAt);
    return object;
}

} // namespace pulsegrove
