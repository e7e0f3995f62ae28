#include "preferences/PulsegrovePreferenceDefaults.h"

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

} // namespace pulsegrove
