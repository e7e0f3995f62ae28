#include "metrics/SystemThermalState.h"

namespace pulsegrove {

SystemThermalState SystemThermalStates::fromRawValue(int rawValue)
{
    switch (rawValue) {
    case 1:
        return SystemThermalState::fair;
    case 2:
        return SystemThermalState::serious;
    case 3:
        return SystemThermalState::critical;
    default:
        return SystemThermalState::nominal;
    }
}

std::string_view SystemThermalStates::displayName(SystemThermalState state)
{
    switch (state) {
    case SystemThermalState::nominal:
        return "正常";
    case SystemThermalState::fair:
        return "升温";
    case SystemThermalState::serious:
        return "严重";
    case SystemThermalState::critical:
        break;
    }
    return "临界";
}

} // namespace pulsegrove
