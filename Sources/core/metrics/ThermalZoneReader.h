#pragma once

#include "metrics/SystemThermalState.h"

#include <filesystem>

namespace pulsegrove {

// The machine's thermal state read from the kernel's thermal zones
// (<root>/sys/class/thermal/thermal_zone*), as the desktop's own thermal state would report it.
//
// Each processor zone is judged against its trip points: critical once its temperature is within
// 5 °C of a "hot" or "critical" trip (or above it), serious at or above its lowest "passive" trip
// (where the kernel starts throttling), fair at or above its lowest "active" trip (where fans step
// up), else nominal. Unset trips (absent, or a temperature of 0 or below) are ignored. Processor
// zones are those of Intel (x86_pkg_temp, TCPU, TCPU_PCI, B0D4, …), ARM boards (cpu-thermal,
// bigcore0-thermal, soc-thermal, …) and the ACPI zone (acpitz), which stands for the processor on
// AMD machines; zones of other devices (Wi-Fi, chipset, GPU, battery) never decide. The result is
// the worst processor zone's state, and nominal when none can be read.
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
