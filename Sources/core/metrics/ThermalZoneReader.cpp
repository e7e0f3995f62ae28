#include "metrics/ThermalZoneReader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace pulsegrove {

namespace {

constexpr std::int64_t criticalMarginMillidegrees = 5000;
constexpr int tripPointLimit = 64;

struct ZoneReading {
    bool isCPU = false;
    int rawState = 0;
};

std::optional<std::string> readLine(const std::filesystem::path &path)
{
    std::ifstream stream(path);
    std::string line;
    if (!stream || !std::getline(stream, line))
        return std::nullopt;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
        line.pop_back();
    return line;
}

std::optional<std::int64_t> readMillidegrees(const std::filesystem::path &path)
{
    const auto line = readLine(path);
    if (!line)
        return std::nullopt;
    std::int64_t value = 0;
    const char *end = line->data() + line->size();
    const auto [stop, error] = std::from_chars(line->data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

bool isCPUZone(const std::string &type)
{
    return type == "x86_pkg_temp" || type == "acpitz" || type.rfind("cpu", 0) == 0;
}

// The zone's state from its temperature and trip points; nothing when its temperature is unreadable.
std::optional<ZoneReading> readZone(const std::filesystem::path &zone)
{
    const auto type = readLine(zone / "type");
    const auto temperature = readMillidegrees(zone / "temp");
    if (!temperature)
        return std::nullopt;
    std::optional<std::int64_t> lowestPassive, lowestActive, lowestCritical;
    auto lower = [](std::optional<std::int64_t> &lowest, std::int64_t value) {
        lowest = lowest ? std::min(*lowest, value) : value;
    };
    for (int index = 0; index < tripPointLimit; ++index) {
        const std::string prefix = "trip_point_" + std::to_string(index) + "_";
        const auto tripType = readLine(zone / (prefix + "type"));
        if (!tripType)
            break;
        const auto tripTemperature = readMillidegrees(zone / (prefix + "temp"));
        if (!tripTemperature || *tripTemperature <= 0)
            continue;
        if (*tripType == "critical" || *tripType == "hot")
            lower(lowestCritical, *tripTemperature);
        else if (*tripType == "passive")
            lower(lowestPassive, *tripTemperature);
        else if (*tripType == "active")
            lower(lowestActive, *tripTemperature);
    }
    ZoneReading reading{type && isCPUZone(*type), 0};
    if (lowestCritical && *temperature >= *lowestCritical - criticalMarginMillidegrees)
        reading.rawState = 3;
    else if (lowestPassive && *temperature >= *lowestPassive)
        reading.rawState = 2;
    else if (lowestActive && *temperature >= *lowestActive)
        reading.rawState = 1;
    return reading;
}

} // namespace

ThermalZoneReader::ThermalZoneReader(std::filesystem::path root) : m_root(std::move(root)) {}

int ThermalZoneReader::rawThermalState() const
{
    std::error_code error;
    std::filesystem::directory_iterator zones(m_root / "sys/class/thermal", error);
    if (error)
        return 0;
    int cpuState = -1, anyState = -1;
    // Sysfs may change under us; a failing step ends the listing instead of throwing.
    for (; zones != std::filesystem::directory_iterator(); zones.increment(error)) {
        if (error)
            break;
        const auto &path = zones->path();
        if (path.filename().string().rfind("thermal_zone", 0) != 0)
            continue;
        const auto reading = readZone(path);
        if (!reading)
            continue;
        anyState = std::max(anyState, reading->rawState);
        if (reading->isCPU)
            cpuState = std::max(cpuState, reading->rawState);
    }
    return std::max(0, cpuState >= 0 ? cpuState : anyState);
}

} // namespace pulsegrove
