#pragma once

#include "metrics/SystemThermalState.h"

#include <filesystem>

namespace pulsegrove {

// The machine's thermal state read from the kernel's thermal zones
// (<root>/sys/class/thermal/thermal_zone*), as the desktop's own thermal state would report it.
//
// Each zone is judged against its trip points: critical once its temperature is within 5 °C of a
// "hot" or "critical" trip (or above it), serious at or above its lowest "passive" trip (where
// the kernel starts throttling), fair at or above its lowest "active" trip (where fans step up),
// else nominal. Trip temperatures of 0 or below mean "not set" and are ignored. CPU zones
// ("x86_pkg_temp", "cpu…", "acpitz") are preferred: when any of them can be read, only they
// count; otherwise every readable zone does. The result is the worst zone's state, and nominal
// when nothing can be read.
class ThermalZoneReader {
public:
    explicit ThermalZoneReader(std::filesystem::path root = "/");

    // 0 nominal, 1 fair, 2 serious, 3 critical.
    int rawThermalState() const;
    SystemThermalState thermalState() const { return SystemThermalStates::fromRawValue(rawThermalState()); }

private:
    std::filesystem::path m_root;
};

} // namespace pulsegrove
