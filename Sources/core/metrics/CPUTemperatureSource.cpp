#include "metrics/CPUTemperatureSource.h"

namespace pulsegrove {

CPUTemperatureSource CPUTemperatureSources::fromNative(std::uint32_t source)
{
    switch (source) {
    case 1:
        return CPUTemperatureSource::cpuDieHotspot;
    case 2:
        return CPUTemperatureSource::cpuDie;
    case 3:
        return CPUTemperatureSource::cpuCoreMaximum;
    default:
        return CPUTemperatureSource::unavailable;
    }
}

std::string_view CPUTemperatureSources::displayName(CPUTemperatureSource source)
{
    switch (source) {
    case CPUTemperatureSource::cpuDieHotspot:
        return "CPU 核心热点";
    case CPUTemperatureSource::cpuCoreMaximum:
        return "CPU 最高核心";
    case CPUTemperatureSource::cpuDie:
    case CPUTemperatureSource::unavailable:
        break;
    }
    return "CPU 核心温度";
}

} // namespace pulsegrove
