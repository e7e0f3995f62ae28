#include "metrics/ThermalZoneReader.h"
#include "sensors/FakeSensorTree.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using testing::FakeSensorTree;
using Trips = std::vector<FakeSensorTree::TripPoint>;

const Trips laptopTrips = {{"critical", 105000}, {"hot", 100000}, {"passive", 90000}, {"active", 70000}};

class ThermalZoneReaderTests : public ::testing::Test {
protected:
    SystemThermalState state() const { return ThermalZoneReader(m_tree.root()).thermalState(); }
    FakeSensorTree m_tree;
};

TEST_F(ThermalZoneReaderTests, NothingReadableIsNominal)
{
    EXPECT_EQ(state(), SystemThermalState::nominal);
    m_tree.addThermalZone(0, "x86_pkg_temp", std::nullopt, laptopTrips);
    m_tree.addThermalZone(1, "acpitz", std::nullopt, laptopTrips);
    m_tree.write("sys/class/thermal/thermal_zone1/temp", "warm\n");
    EXPECT_EQ(state(), SystemThermalState::nominal);
}

TEST_F(ThermalZoneReaderTests, TripPointsGiveTheSteps)
{
    const std::pair<std::int64_t, SystemThermalState> cases[] = {
        {69999, SystemThermalState::nominal},  {70000, SystemThermalState::fair},
        {89999, SystemThermalState::fair},     {90000, SystemThermalState::serious},
        {94999, SystemThermalState::serious},  {95000, SystemThermalState::critical},
        {120000, SystemThermalState::critical}};
    for (const auto &[temperature, expected] : cases) {
        m_tree.addThermalZone(0, "x86_pkg_temp", temperature, laptopTrips);
        EXPECT_EQ(state(), expected) << temperature;
    }
}

TEST_F(ThermalZoneReaderTests, TheLowestTripOfAKindCountsAndUnsetTripsAreIgnored)
{
    m_tree.addThermalZone(0, "cpu-thermal", 66000,
                          {{"active", 80000}, {"active", 65000}, {"passive", 0}, {"critical", -273000}});
    EXPECT_EQ(state(), SystemThermalState::fair);
}

TEST_F(ThermalZoneReaderTests, TheWorstCpuZoneDecidesAndOtherZonesCountOnlyWithoutOne)
{
    m_tree.addThermalZone(0, "iwlwifi_1", 99000, {{"critical", 100000}});
    const std::pair<int, std::string> cpuZones[] = {{1, "acpitz"}, {3, "cpu0-thermal"}, {4, "x86_pkg_temp"}};
    for (const auto &hot : cpuZones) { // each in turn the hot one, whatever order the folder lists them in
        for (const auto &[zone, type] : cpuZones)
            m_tree.addThermalZone(zone, type, zone == hot.first ? 91000 : 40000, laptopTrips);
        EXPECT_EQ(state(), SystemThermalState::serious) << hot.second;
    }
    m_tree.remove("sys/class/thermal/thermal_zone3");
    m_tree.remove("sys/class/thermal/thermal_zone4");
    m_tree.write("sys/class/thermal/thermal_zone1/temp", "broken\n");
    EXPECT_EQ(state(), SystemThermalState::critical) << "without a readable CPU zone every zone counts";
}

} // namespace
} // namespace pulsegrove
