#pragma once

#include "TemporaryDirectory.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace pulsegrove::testing {

// A stand-in of the /proc and /sys files the sampler and the thermal-state reader look at, built
// inside a temporary folder that serves as their root.
class FakeSensorTree {
public:
    // One processor's user, nice, system and idle ticks of /proc/stat; the other six are 0.
    using ProcessorTicks = std::array<std::uint64_t, 4>;
    using TripPoint = std::pair<std::string, std::int64_t>; // type, millidegrees

    const std::filesystem::path &root() const { return m_directory.path(); }
    std::string rootString() const { return root().string(); }

    void writeProcStat(const std::vector<ProcessorTicks> &processors) const
    {
        std::ostringstream text;
        text << "cpu  0 0 0 0 0 0 0 0 0 0\n";
        for (std::size_t i = 0; i < processors.size(); ++i) {
            text << "cpu" << i;
            for (auto value : processors[i])
                text << ' ' << value;
            text << " 0 0 0 0 0 0\n";
        }
        write("proc/stat", text.str() + "intr 12345 0 0\nctxt 999\nbtime 1700000000\n");
    }

    // Lines "Name: value kB"; values in kB.
    void writeMeminfo(const std::vector<std::pair<std::string, std::uint64_t>> &lines) const
    {
        std::ostringstream text;
        for (const auto &[name, kilobytes] : lines)
            text << name << ':' << std::setw(16) << kilobytes << " kB\n";
        write("proc/meminfo", text.str());
    }

    void addAppleSmcSensor(int index, const std::string &label, const std::string &millidegrees) const
    {
        addSensor("sys/devices/platform/applesmc.768/", index, label, millidegrees);
    }
    void addHwmon(int device, const std::string &name) const
    {
        write(hwmonFolder(device) + "name", name + "\n");
    }
    // An empty label writes no label file.
    void addHwmonSensor(int device, int index, const std::string &label,
                        const std::string &millidegrees) const
    {
        addSensor(hwmonFolder(device), index, label, millidegrees);
    }

    void addThermalZone(int zone, const std::string &type, std::optional<std::int64_t> millidegrees,
                        const std::vector<TripPoint> &trips = {}) const
    {
        const std::string folder = "sys/class/thermal/thermal_zone" + std::to_string(zone) + "/";
        write(folder + "type", type + "\n");
        if (millidegrees)
            write(folder + "temp", std::to_string(*millidegrees) + "\n");
        for (std::size_t i = 0; i < trips.size(); ++i) {
            const std::string trip = folder + "trip_point_" + std::to_string(i);
            write(trip + "_type", trips[i].first + "\n");
            write(trip + "_temp", std::to_string(trips[i].second) + "\n");
        }
    }

    void write(const std::string &relativePath, const std::string &content) const
    {
        m_directory.writeFile(relativePath, content);
    }
    void remove(const std::string &relativePath) const { std::filesystem::remove_all(root() / relativePath); }
    // Puts a FIFO, or a link to the target, in place of whatever is at the path.
    void replaceWithFifo(const std::string &relativePath) const
    {
        remove(relativePath);
        std::filesystem::create_directories((root() / relativePath).parent_path());
        if (::mkfifo((root() / relativePath).c_str(), 0600) != 0)
            throw std::runtime_error("cannot make a FIFO at " + relativePath);
    }
    void replaceWithLink(const std::string &relativePath, const std::filesystem::path &target) const
    {
        remove(relativePath);
        std::filesystem::create_directories((root() / relativePath).parent_path());
        std::filesystem::create_symlink(target, root() / relativePath);
    }

private:
    static std::string hwmonFolder(int device)
    {
        return "sys/class/hwmon/hwmon" + std::to_string(device) + "/";
    }
    void addSensor(const std::string &folder, int index, const std::string &label,
                   const std::string &value) const
    {
        const std::string sensor = folder + "temp" + std::to_string(index);
        if (!label.empty())
            write(sensor + "_label", label + "\n");
        write(sensor + "_input", value + "\n");
    }

    TemporaryDirectory m_directory;
};

} // namespace pulsegrove::testing
