#pragma once

#include "preferences/QuotaModule.h"

#include <optional>
#include <string>
#include <vector>

namespace pulsegrove {

// Turns a stored preference (nothing when the key is missing or holds another type) into the
// value in effect.
struct PulsegrovePreferenceDefaults {
    PulsegrovePreferenceDefaults() = delete;

    // All modules minus those named exactly by a text of the list; unknown texts are skipped, and
    // nothing stored shows everything.
    static QuotaModuleSet visibleModules(const std::optional<std::vector<std::string>> &hiddenStoredValues);
    // The stored form of the visible modules: the raw values of the others, sorted.
    static std::vector<std::string> hiddenStoredValues(const QuotaModuleSet &visibleModules);
    static bool showDockIcon(std::optional<bool> storedValue) { return storedValue.value_or(true); }
    static bool automaticallyChecksForUpdates(std::optional<bool> storedValue)
    {
        return storedValue.value_or(true);
    }
};

} // namespace pulsegrove
