#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pulsegrove {

// Which kind of SMC key gave the CPU temperature.
enum class CPUTemperatureSource { cpuDieHotspot, cpuDie, cpuCoreMaximum, unavailable };

struct CPUTemperatureSources {
    CPUTemperatureSources() = delete;

    static constexpr std::array<CPUTemperatureSource, 4> allCases = {
        CPUTemperatureSource::cpuDieHotspot, CPUTemperatureSource::cpuDie,
        CPUTemperatureSource::cpuCoreMaximum, CPUTemperatureSource::unavailable};

    // The native sampler's source number: 1 die hotspot, 2 die, 3 core maximum, anything else
    // unavailable.
    static CPUTemperatureSource fromNative(std::uint32_t source);
    static std::string_view displayName(CPUTemperatureSource source);
};

} // namespace pulsegrove
