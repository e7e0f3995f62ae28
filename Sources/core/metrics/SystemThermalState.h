#pragma once

#include <array>
#include <string_view>

namespace pulsegrove {

// The machine's thermal pressure, in the four steps a desktop system reports.
enum class SystemThermalState { nominal, fair, serious, critical };

struct SystemThermalStates {
    SystemThermalStates() = delete;

    static constexpr std::array<SystemThermalState, 4> allCases = {
        SystemThermalState::nominal, SystemThermalState::fair, SystemThermalState::serious,
        SystemThermalState::critical};

    // 0 nominal, 1 fair, 2 serious, 3 critical; any other raw value nominal.
    static SystemThermalState fromRawValue(int rawValue);
    static std::string_view displayName(SystemThermalState state);
};

} // namespace pulsegrove
