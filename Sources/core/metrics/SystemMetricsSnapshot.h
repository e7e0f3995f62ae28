#pragma once

#include "foundation/Date.h"
#include "metrics/CPUTemperatureSource.h"
#include "metrics/SystemThermalState.h"
#include "metrics/TemperatureSeverity.h"

#include <cstdint>
#include <optional>

namespace pulsegrove {

// One sample of the machine's own state; a metric that could not be read is absent.
struct SystemMetricsSnapshot {
    std::optional<double> cpuTemperatureCelsius;
    CPUTemperatureSource temperatureSource = CPUTemperatureSource::unavailable;
    std::optional<double> cpuUsagePercent;   // 0...100
    std::optional<double> memoryUsedPercent; // 0...100
    std::optional<std::uint64_t> memoryUsedBytes;
    std::optional<std::uint64_t> memoryTotalBytes;
    SystemThermalState thermalState = SystemThermalState::nominal;
    Date sampledAt;

    TemperatureSeverity temperatureSeverity() const
    {
        return TemperatureSeverities::fromCelsius(cpuTemperatureCelsius);
    }

    friend bool operator==(const SystemMetricsSnapshot &, const SystemMetricsSnapshot &) = default;
};

} // namespace pulsegrove
