#include "preferences/QuotaModule.h"

namespace pulsegrove {

std::string_view QuotaModules::rawValue(QuotaModule module)
{
    switch (module) {
    case QuotaModule::standardQuota:
        return "standardQuota";
    case QuotaModule::sparkQuota:
        return "sparkQuota";
    case QuotaModule::resetCredits:
        return "resetCredits";
    case QuotaModule::systemMetrics:
        return "systemMetrics";
    case QuotaModule::modelInsights:
        return "modelInsights";
    case QuotaModule::resetHints:
        return "resetHints";
    }
    return {};
}

std::optional<QuotaModule> QuotaModules::fromRawValue(std::string_view rawValue)
{
    for (const QuotaModule module : allCases) {
        if (QuotaModules::rawValue(module) == rawValue)
            return module;
    }
    return std::nullopt;
}

} // namespace pulsegrove
