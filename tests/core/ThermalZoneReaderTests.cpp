#include "metrics/ThermalZoneReader.h"
#include "sensors/FakeSensorTree.h"

#include <functional>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using testing::FakeSensorTree;
using Trips = std::vector<FakeSensorTree::TripPoint>;

const Trips laptopTrips = {{"critical", 105000}, {"hot", 100000}, {"passive", 90000}, {"active", 70000}};

// Public, for the cases that build their machines through it.
class ThermalZoneReaderTests : public ::testing::Test {
public:
    SystemThermalState state() const { return ThermalZoneReader(m_tree.root()).thermalState(); }

    // As in sysfs, the class entry is a link to the zone's device folder.
    void linkZoneToDevice(int zone) const
    {
        const std::string name = "thermal_zone" + std::to_string(zone);
        const auto device = m_tree.root() / "sys/devices/virtual/thermal" / name;
        std::filesystem::create_directories(device.parent_path());
        std::filesystem::rename(m_tree.root() / "sys/class/thermal" / name, device);
        m_tree.replaceWithLink("sys/class/thermal/" + name, "../../devices/virtual/thermal/" + name);
    }

    // A laptop with the platform's thermal framework: the framework's own zone, a skin sensor,
    // the processor participant, Wi-Fi, the package sensor (its trips unset), the ACPI zone and
    // the chipset. Zones are links, as in sysfs.
    void addIntelLaptop(std::int64_t processor, const std::string &processorType = "TCPU") const
    {
        m_tree.addThermalZone(0, "INT3400 Thermal", 20000, {{"passive", 0}});
        m_tree.addThermalZone(1, "SEN1", 41000, {{"passive", 55000}});
        m_tree.addThermalZone(2, processorType, processor,
                              {{"critical", 110000}, {"hot", 0}, {"passive", 97000}});
        m_tree.addThermalZone(3, "iwlwifi_1", 48000);
        m_tree.addThermalZone(4, "x86_pkg_temp", processor, {{"passive", 0}, {"passive", 0}});
        m_tree.addThermalZone(5, "acpitz", 27800, {{"critical", 128000}});
        m_tree.addThermalZone(6, "pch_cannonlake", 52000, {{"critical", 115000}});
        for (int zone = 0; zone <= 6; ++zone)
            linkZoneToDevice(zone);
    }

    // A desktop whose processor has no zone of its own: the ACPI zone, and a Wi-Fi card.
    void addAMDDesktop(std::optional<std::int64_t> acpi, std::int64_t wifi) const
    {
        m_tree.addThermalZone(0, "acpitz", acpi, {{"critical", 105000}, {"passive", 95000}});
        m_tree.addThermalZone(1, "iwlwifi_1", wifi, {{"critical", 100000}});
    }

    // A Rockchip board: the SoC zone, the big and little cores, and the GPU and NPU.
    void addARMBoard(std::int64_t bigCore, std::int64_t gpu) const
    {
        const Trips socTrips = {{"passive", 85000}, {"critical", 115000}};
        m_tree.addThermalZone(0, "soc-thermal", 45000, socTrips);
        m_tree.addThermalZone(1, "bigcore0-thermal", 45000, socTrips);
        m_tree.addThermalZone(2, "bigcore1-thermal", bigCore, socTrips);
        m_tree.addThermalZone(3, "littlecore-thermal", 44000, socTrips);
        m_tree.addThermalZone(4, "gpu-thermal", gpu, socTrips);
        m_tree.addThermalZone(5, "npu-thermal", 43000, socTrips);
    }

    FakeSensorTree m_tree;
};

// The processor's zones decide, under whichever name its vendor's kernel driver gives them; the
// zones of other devices never do, and unset trips are no trips.
TEST_F(ThermalZoneReaderTests, TheWorstProcessorZoneOfEachKindOfMachineDecides)
{
    using T = const ThermalZoneReaderTests &;
    struct Case {
        std::string description;
        std::function<void(T)> machine;
        SystemThermalState expected;
    };
    using S = SystemThermalState;
    const Case cases[] = {
        {"Intel laptop, cool", [](T t) { t.addIntelLaptop(60000); }, S::nominal},
        {"Intel laptop, throttling", [](T t) { t.addIntelLaptop(98000); }, S::serious},
        {"Intel laptop, near the critical trip", [](T t) { t.addIntelLaptop(106000); }, S::critical},
        {"older Intel laptop, throttling", [](T t) { t.addIntelLaptop(98000, "B0D4"); }, S::serious},
        {"newer Intel laptop, throttling", [](T t) { t.addIntelLaptop(98000, "TCPU_PCI"); }, S::serious},
        {"Intel laptop, chipset and skin hot, processor cool", [](T t) {
             t.addIntelLaptop(60000);
             t.m_tree.addThermalZone(6, "pch_cannonlake", 112000, {{"critical", 115000}});
             t.m_tree.addThermalZone(1, "SEN1", 60000, {{"passive", 55000}});
         }, S::nominal},
        // The package sensor's trips are unset: 99 °C alone says nothing.
        {"Intel laptop without the processor participant", [](T t) {
             t.addIntelLaptop(99000);
             t.m_tree.remove("sys/class/thermal/thermal_zone2");
         }, S::nominal},
        {"AMD desktop, throttling", [](T t) { t.addAMDDesktop(96000, 40000); }, S::serious},
        {"AMD desktop, Wi-Fi hot", [](T t) { t.addAMDDesktop(50000, 99000); }, S::nominal},
        {"AMD desktop, ACPI zone unreadable, Wi-Fi hot", [](T t) { t.addAMDDesktop(std::nullopt, 99000); },
         S::nominal},
        {"ARM board, one big core throttling", [](T t) { t.addARMBoard(86000, 50000); }, S::serious},
        {"ARM board, GPU near critical", [](T t) { t.addARMBoard(50000, 112000); }, S::nominal},
        {"Raspberry Pi, throttling",
         [](T t) { t.m_tree.addThermalZone(0, "cpu-thermal", 81000, {{"passive", 80000}}); }, S::serious},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        m_tree.remove("sys");
        c.machine(*this);
        EXPECT_EQ(state(), c.expected);
    }
}

TEST_F(ThermalZoneReaderTests, TripPointsGiveTheStepsAndUnsetOrOddOnesAreIgnored)
{
    using S = SystemThermalState;
    const std::pair<std::int64_t, S> cases[] = {{69999, S::nominal},  {70000, S::fair},     {89999, S::fair},
                                                {90000, S::serious},  {94999, S::serious},  {95000, S::critical}};
    for (const auto &[temperature, expected] : cases) {
        m_tree.addThermalZone(0, "x86_pkg_temp", temperature, laptopTrips);
        EXPECT_EQ(state(), expected) << temperature;
    }
    // The lowest trip of a kind counts; 0, negative and absent trip temperatures are unset.
    m_tree.remove("sys");
    m_tree.addThermalZone(
        0, "cpu0-thermal", 66000,
        {{"active", 80000}, {"active", 65000}, {"passive", 0}, {"critical", -273000}, {"hot", 1}});
    m_tree.remove("sys/class/thermal/thermal_zone0/trip_point_4_temp");
    EXPECT_EQ(state(), SystemThermalState::fair);
}

TEST_F(ThermalZoneReaderTests, NothingReadableIsNominalAndNoFileCanBlockOrFlood)
{
    EXPECT_EQ(state(), SystemThermalState::nominal);
    m_tree.addThermalZone(0, "x86_pkg_temp", std::nullopt, laptopTrips);
    m_tree.addThermalZone(1, "acpitz", 99000, laptopTrips);
    m_tree.write("sys/class/thermal/thermal_zone1/temp", "warm\n");
    EXPECT_EQ(state(), SystemThermalState::nominal);
    m_tree.replaceWithFifo("sys/class/thermal/thermal_zone1/temp");
    m_tree.replaceWithLink("sys/class/thermal/thermal_zone0/temp", "/dev/zero");
    EXPECT_EQ(state(), SystemThermalState::nominal);
    m_tree.write("sys/class/thermal/thermal_zone2/type", std::string(1 << 20, 'x'));
    m_tree.write("sys/class/thermal/thermal_zone2/temp", "99000\n");
    EXPECT_EQ(state(), SystemThermalState::nominal);
}

} // namespace
} // namespace pulsegrove
