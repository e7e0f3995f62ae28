#include "metrics/ThermalZoneReader.h"

#include "foundation/SmallFileReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace pulsegrove {

namespace {

constexpr std::int64_t criticalMarginMillidegrees = 5000;
constexpr int tripPointLimit = 64;
// A zone's type or a temperature is one short line.
constexpr std::size_t valueSizeLimit = 256;

// Sysfs entries are links by design, so links are followed; anything but a small regular file
// (a FIFO, a device) reads as missing without blocking.
std::optional<std::string> readLine(const std::filesystem::path &path)
{
    auto result = SmallFileReader::read(path, valueSizeLimit, SmallFileReader::Links::follow);
    if (!result.isRead())
        return std::nullopt;
    std::string line = result.content.substr(0, result.content.find('\n'));
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

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char character) { return char(std::tolower(character)); });
    return text;
}

// The zone types the kernel gives the processor's own sensors. Intel: the package sensor
// (x86_pkg_temp), the processor participant of the platform's thermal framework under its ACPI
// names (TCPU, TCPU_PCI, B0D4, B0DB) and the Atom SoC's sensors (soc_dts0, soc_dts1). ARM boards:
// cpu-thermal, cpu0-thermal, cpuss-0-thermal, CPU-therm, and Rockchip's bigcore/littlecore and
// soc zones. AMD processors register no zone of their own (their sensor is the k10temp hwmon
// device), so the ACPI thermal zone, acpitz, counts as well: on AMD desktops it is the
// processor's, and everywhere its trips are the platform's.
bool isCPUZone(const std::string &type)
{
    static constexpr std::array<std::string_view, 6> exactTypes = {"x86_pkg_temp", "TCPU", "TCPU_PCI",
                                                                   "B0D4",         "B0DB", "acpitz"};
    if (std::find(exactTypes.begin(), exactTypes.end(), type) != exactTypes.end())
        return true;
    const std::string lower = lowercased(type);
    return lower.starts_with("cpu") || lower.starts_with("soc_dts") || lower == "soc-thermal" ||
           lower == "soc_thermal" ||
           (lower.find("core") != std::string::npos && lower.find("therm") != std::string::npos);
}

// The state of a processor zone from its temperature and trip points; nothing for another zone
// or one whose temperature cannot be read.
std::optional<int> readCPUZoneState(const std::filesystem::path &zone)
{
    const auto type = readLine(zone / "type");
    if (!type || !isCPUZone(*type))
        return std::nullopt;
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
    if (lowestCritical && *temperature >= *lowestCritical - criticalMarginMillidegrees)
        return 3;
    if (lowestPassive && *temperature >= *lowestPassive)
        return 2;
    if (lowestActive && *temperature >= *lowestActive)
        return 1;
    return 0;
}

} // namespace

ThermalZoneReader::ThermalZoneReader(std::filesystem::path root) : m_root(std::move(root)) {}

int ThermalZoneReader::rawThermalState() const
{
    std::error_code error;
    std::filesystem::directory_iterator zones(m_root / "sys/class/thermal", error);
    if (error)
        return 0;
    int state = 0;
    // Sysfs may change under us; a failing step ends the listing instead of throwing.
    for (; zones != std::filesystem::directory_iterator(); zones.increment(error)) {
        if (error)
            break;
        const auto &path = zones->path();
        if (path.filename().string().rfind("thermal_zone", 0) != 0)
            continue;
        if (const auto zoneState = readCPUZoneState(path))
            state = std::max(state, *zoneState);
    }
    return state;
}

} // namespace pulsegrove
