#include "metrics/SystemMetricsSampler.h"
#include "sensors/FakeSensorTree.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <pg_sampler_platform.h>

namespace pulsegrove {
namespace {

using testing::FakeSensorTree;

pg_system_metrics_sample fullSample()
{
    pg_system_metrics_sample sample{};
    sample.cpu_usage = 37.5;
    sample.cpu_usage_valid = true;
    sample.memory_used_percent = 61.0;
    sample.memory_used_bytes = 610;
    sample.memory_total_bytes = 1000;
    sample.memory_valid = true;
    sample.cpu_temperature = 55.25;
    sample.temperature_source = 1;
    sample.temperature_valid = true;
    return sample;
}

TEST(SystemMetricsSnapshotMapping, CopiesValidMetricsAndClampsOnlyThePercentages)
{
    auto native = fullSample();
    native.cpu_usage = 100.4;
    native.memory_used_percent = -0.2;
    native.cpu_temperature = 149.0;
    const auto at = Date::fromReferenceSeconds(800'000'000);

    const auto snapshot = SystemMetricsSampler::snapshotFromSample(native, SystemThermalState::serious, at);

    EXPECT_EQ(snapshot.cpuUsagePercent, 100.0);
    EXPECT_EQ(snapshot.memoryUsedPercent, 0.0);
    EXPECT_EQ(snapshot.memoryUsedBytes, 610u);
    EXPECT_EQ(snapshot.memoryTotalBytes, 1000u);
    EXPECT_EQ(snapshot.cpuTemperatureCelsius, 149.0);
    EXPECT_EQ(snapshot.temperatureSource, CPUTemperatureSource::cpuDieHotspot);
    EXPECT_EQ(snapshot.thermalState, SystemThermalState::serious);
    EXPECT_EQ(snapshot.sampledAt, at);
    EXPECT_EQ(snapshot.temperatureSeverity(), TemperatureSeverity::critical);
}

TEST(SystemMetricsSnapshotMapping, InvalidMetricsAreAbsentWhateverTheRecordHolds)
{
    auto native = fullSample();
    native.cpu_usage_valid = false;
    native.memory_valid = false;
    native.temperature_valid = false;

    const auto snapshot =
        SystemMetricsSampler::snapshotFromSample(native, SystemThermalState::nominal, Date());

    EXPECT_FALSE(snapshot.cpuUsagePercent);
    EXPECT_FALSE(snapshot.memoryUsedPercent || snapshot.memoryUsedBytes || snapshot.memoryTotalBytes);
    EXPECT_FALSE(snapshot.cpuTemperatureCelsius);
    EXPECT_EQ(snapshot.temperatureSource, CPUTemperatureSource::unavailable);
    EXPECT_EQ(snapshot.temperatureSeverity(), TemperatureSeverity::unavailable);
}

TEST(SystemMetricsSnapshotMapping, SnapshotsCompareEveryField)
{
    const auto a = SystemMetricsSampler::snapshotFromSample(fullSample(), SystemThermalState::fair, Date());
    auto b = a;
    EXPECT_EQ(a, b);
    b.memoryTotalBytes = 1001;
    EXPECT_NE(a, b);
    b = a;
    b.sampledAt = Date::fromReferenceSeconds(1);
    EXPECT_NE(a, b);
}

TEST(MetricEnumerations, NativeSourcesMapToTheirKinds)
{
    EXPECT_EQ(CPUTemperatureSources::fromNative(1), CPUTemperatureSource::cpuDieHotspot);
    EXPECT_EQ(CPUTemperatureSources::fromNative(2), CPUTemperatureSource::cpuDie);
    EXPECT_EQ(CPUTemperatureSources::fromNative(3), CPUTemperatureSource::cpuCoreMaximum);
    EXPECT_EQ(CPUTemperatureSources::fromNative(0), CPUTemperatureSource::unavailable);
    EXPECT_EQ(CPUTemperatureSources::fromNative(7), CPUTemperatureSource::unavailable);
}

TEST(MetricEnumerations, DisplayNames)
{
    using S = CPUTemperatureSource;
    EXPECT_EQ(CPUTemperatureSources::displayName(S::cpuDieHotspot), "CPU 核心热点");
    EXPECT_EQ(CPUTemperatureSources::displayName(S::cpuDie), "CPU 核心温度");
    EXPECT_EQ(CPUTemperatureSources::displayName(S::cpuCoreMaximum), "CPU 最高核心");
    EXPECT_EQ(CPUTemperatureSources::displayName(S::unavailable), "CPU 核心温度");
    using T = TemperatureSeverity;
    EXPECT_EQ(TemperatureSeverities::displayName(T::unavailable), "不可用");
    EXPECT_EQ(TemperatureSeverities::displayName(T::normal), "正常");
    EXPECT_EQ(TemperatureSeverities::displayName(T::warm), "偏热");
    EXPECT_EQ(TemperatureSeverities::displayName(T::hot), "较热");
    EXPECT_EQ(TemperatureSeverities::displayName(T::critical), "高温");
    using Th = SystemThermalState;
    EXPECT_EQ(SystemThermalStates::displayName(Th::nominal), "正常");
    EXPECT_EQ(SystemThermalStates::displayName(Th::fair), "升温");
    EXPECT_EQ(SystemThermalStates::displayName(Th::serious), "严重");
    EXPECT_EQ(SystemThermalStates::displayName(Th::critical), "临界");
}

TEST(MetricEnumerations, SeverityBandsStartAtEightyNinetyAndOneHundred)
{
    using T = TemperatureSeverity;
    EXPECT_EQ(TemperatureSeverities::fromCelsius(std::nullopt), T::unavailable);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(-40.0), T::normal);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(79.9), T::normal);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(80.0), T::warm);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(89.99), T::warm);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(90.0), T::hot);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(100.0), T::critical);
    EXPECT_EQ(TemperatureSeverities::fromCelsius(std::numeric_limits<double>::quiet_NaN()), T::critical);
}

TEST(MetricEnumerations, RawThermalStatesOutsideTheKnownStepsAreNominal)
{
    EXPECT_EQ(SystemThermalStates::fromRawValue(0), SystemThermalState::nominal);
    EXPECT_EQ(SystemThermalStates::fromRawValue(1), SystemThermalState::fair);
    EXPECT_EQ(SystemThermalStates::fromRawValue(2), SystemThermalState::serious);
    EXPECT_EQ(SystemThermalStates::fromRawValue(3), SystemThermalState::critical);
    EXPECT_EQ(SystemThermalStates::fromRawValue(4), SystemThermalState::nominal);
    EXPECT_EQ(SystemThermalStates::fromRawValue(-1), SystemThermalState::nominal);
}

// The wrapper over a fake machine: sensors, ticks, memory and thermal zones from one tree.
class SystemMetricsSamplerTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tree.writeProcStat({{100, 0, 100, 800}});
        m_tree.writeMeminfo({{"MemTotal", 1000},
                             {"Active", 500},
                             {"Inactive", 100},
                             {"Active(file)", 50},
                             {"Inactive(file)", 50}});
        m_tree.addHwmon(0, "coretemp");
        m_tree.addHwmonSensor(0, 1, "Package id 0", "63500");
        m_tree.addThermalZone(0, "x86_pkg_temp", 63500, {{"passive", 60000}});
        ASSERT_TRUE(pg_platform_set_root(m_tree.rootString().c_str()));
    }
    void TearDown() override { pg_platform_set_root(nullptr); }

    FakeSensorTree m_tree;
};

TEST_F(SystemMetricsSamplerTests, SamplesTheWholeMachine)
{
    const auto at = Date::fromReferenceSeconds(12345);
    SystemMetricsSampler sampler([at] { return at; }, ThermalZoneReader(m_tree.root()));
    m_tree.writeProcStat({{150, 0, 150, 900}});

    const auto snapshot = sampler.sample();

    EXPECT_EQ(snapshot.cpuTemperatureCelsius, 63.5);
    EXPECT_EQ(snapshot.temperatureSource, CPUTemperatureSource::cpuDie);
    EXPECT_EQ(snapshot.cpuUsagePercent, 50.0);
    EXPECT_EQ(snapshot.memoryUsedBytes, 500u * 1024u);
    EXPECT_EQ(snapshot.memoryTotalBytes, 1000u * 1024u);
    EXPECT_EQ(snapshot.memoryUsedPercent, 50.0);
    EXPECT_EQ(snapshot.thermalState, SystemThermalState::serious);
    EXPECT_EQ(snapshot.sampledAt, at);
}

TEST_F(SystemMetricsSamplerTests, AnEmptyMachineGivesOnlyThermalStateAndTime)
{
    m_tree.remove("proc");
    m_tree.remove("sys");
    SystemMetricsSampler sampler(systemClock(), ThermalZoneReader(m_tree.root()));

    const auto snapshot = sampler.sample();

    EXPECT_FALSE(snapshot.cpuTemperatureCelsius || snapshot.cpuUsagePercent || snapshot.memoryUsedPercent);
    EXPECT_EQ(snapshot.temperatureSource, CPUTemperatureSource::unavailable);
    EXPECT_EQ(snapshot.thermalState, SystemThermalState::nominal);
}

} // namespace
} // namespace pulsegrove
