#include "quota/FetchErrorDescription.h"

#include "foundation/BoundedDisplayText.h"
#include "quota/CodexRateLimitClientError.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

std::string FetchErrorDescription::describe(const std::exception &error)
{
    if (const auto *clientError = dynamic_cast<const CodexRateLimitClientError *>(&error))
        return clientError->errorDescription();
    if (dynamic_cast<const nlohmann::json::exception *>(&error))
        return unreadableData;
    return BoundedDisplayText::make(error.what());
}

} // namespace pulsegrove
