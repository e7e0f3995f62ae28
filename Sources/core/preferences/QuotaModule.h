#pragma once

#include <array>
#include <optional>
#include <set>
#include <string_view>

namespace pulsegrove {

// The optional modules of the quota panel and the native menu. The declaration order is the order
// of the settings list and of the menu.
enum class QuotaModule { standardQuota, sparkQuota, resetCredits, systemMetrics, modelInsights, resetHints };

// Ordered by declaration, so iterating a set follows the display order.
using QuotaModuleSet = std::set<QuotaModule>;

// What an enumeration with text raw values offers: the raw value, the reverse lookup and all
// cases in order. The stored form of a module is its raw value, equal to the case name.
struct QuotaModules {
    QuotaModules() = delete;

    static constexpr std::array<QuotaModule, 6> allCases = {
        QuotaModule::standardQuota, QuotaModule::sparkQuota,    QuotaModule::resetCredits,
        QuotaModule::systemMetrics, QuotaModule::modelInsights, QuotaModule::resetHints};

    static std::string_view rawValue(QuotaModule module);
    // Exactly one of the six raw values (case-sensitive), else nothing.
    static std::optional<QuotaModule> fromRawValue(std::string_view rawValue);
    static QuotaModuleSet allModules() { return {allCases.begin(), allCases.end()}; }
};

} // namespace pulsegrove
