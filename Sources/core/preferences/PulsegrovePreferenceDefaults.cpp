#include "preferences/PulsegrovePreferenceDefaults.h"

#include <algorithm>

namespace pulsegrove {

QuotaModuleSet PulsegrovePreferenceDefaults::visibleModules(
    const std::optional<std::vector<std::string>> &hiddenStoredValues)
{
    QuotaModuleSet visible = QuotaModules::allModules();
    if (!hiddenStoredValues)
        return visible;
    for (const std::string &text : *hiddenStoredValues) {
        if (const auto module = QuotaModules::fromRawValue(text))
            visible.erase(*module);
    }
    return visible;
}

std::vector<std::string>
PulsegrovePreferenceDefaults::hiddenStoredValues(const QuotaModuleSet &visibleModules)
{
    std::vector<std::string> hidden;
    for (const QuotaModule module : QuotaModules::allCases) {
        if (!visibleModules.contains(module))
            hidden.emplace_back(QuotaModules::rawValue(module));
    }
    std::sort(hidden.begin(), hidden.end());
    return hidden;
}

} // namespace pulsegrove
