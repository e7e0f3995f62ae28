#include "metrics/SystemMetricsSampler.h"
#include "sensors/FakeSensorTree.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <latch>
#include <limits>
#include <mutex>
#include <pg_test_platform.h>
#include <string_view>
#include <thread>

namespace pulsegrove {
namespace {

using testing::FakeSensorTree;

TEST(SystemMetricsSnapshotMapping, ClampsOnlyThePercentagesAndDropsWhatIsNotValid)
{
    pg_system_metrics_sample native{.cpu_usage = 100.4, .memory_used_percent = -0.2, .cpu_temperature = 149.0,
                                    .memory_used_bytes = 610, .memory_total_bytes = 1000, .temperature_source = 1,
                                    .cpu_usage_valid = true, .memory_valid = true, .temperature_valid = true};
    const auto at = Date::fromReferenceSeconds(800'000'000);
    EXPECT_EQ(SystemMetricsSampler::snapshotFromSample(native, SystemThermalState::serious, at),
              (SystemMetricsSnapshot{149.0, CPUTemperatureSource::cpuDieHotspot, 100.0, 0.0, 610u, 1000u,
                                     SystemThermalState::serious, at}));
    native.cpu_usage_valid = native.memory_valid = native.temperature_valid = false;
    EXPECT_EQ(SystemMetricsSampler::snapshotFromSample(native, SystemThermalState::fair, at),
              (SystemMetricsSnapshot{
                  {}, CPUTemperatureSource::unavailable, {}, {}, {}, {}, SystemThermalState::fair, at}));
}

TEST(MetricEnumerations, SeverityBandsStartAtEightyNinetyAndOneHundred)
{
    using T = TemperatureSeverity;
    const std::pair<std::optional<double>, T> cases[] = {
        {std::nullopt, T::unavailable}, {79.9, T::normal}, {80.0, T::warm}, {89.99, T::warm}, {90.0, T::hot},
        {99.9, T::hot}, {100.0, T::critical}, {std::numeric_limits<double>::quiet_NaN(), T::critical}};
    for (const auto &[celsius, expected] : cases)
        EXPECT_EQ(TemperatureSeverities::fromCelsius(celsius), expected) << celsius.value_or(-1);
}

// The wrapper over a fake machine: sensors, ticks, memory and thermal zones from one tree.
class SystemMetricsSamplerTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tree.writeProcStat({{100, 0, 100, 800}});
        m_tree.writeMeminfo(
            {{"MemTotal", 1000}, {"Active", 500}, {"Inactive", 100}, {"Active(file)", 50}, {"Inactive(file)", 50}});
        m_tree.addHwmon(0, "coretemp");
        m_tree.addHwmonSensor(0, 1, "Package id 0", "63500");
        m_tree.addThermalZone(0, "x86_pkg_temp", 63500, {{"passive", 60000}});
        ASSERT_TRUE(pg_test_platform_init(&m_platform, m_tree.rootString().c_str()));
    }

    FakeSensorTree m_tree;
    pg_test_platform m_platform{};
};

TEST_F(SystemMetricsSamplerTests, SamplesTheWholeMachineAndOfAnEmptyOneOnlyThermalStateAndTime)
{
    const auto at = Date::fromReferenceSeconds(12345);
    SystemMetricsSampler sampler([at] { return at; }, ThermalZoneReader(m_tree.root()), &m_platform.platform);
    m_tree.writeProcStat({{150, 0, 150, 900}});
    EXPECT_EQ(sampler.sample(),
              (SystemMetricsSnapshot{63.5, CPUTemperatureSource::cpuDie, 50.0, 50.0, 500u * 1024u,
                                     1000u * 1024u, SystemThermalState::serious, at}));
    m_tree.remove("proc");
    m_tree.remove("sys");
    EXPECT_EQ(
        SystemMetricsSampler([at] { return at; }, ThermalZoneReader(m_tree.root()), &m_platform.platform)
            .sample(),
        (SystemMetricsSnapshot{
            {}, CPUTemperatureSource::unavailable, {}, {}, {}, {}, SystemThermalState::nominal, at}));
}

// A platform that notices two samples inside the native code at once. Each read of /proc/stat
// waits a while for a second reader to arrive, so two threads that are not kept apart meet there.
struct OverlapWatchingPlatform {
    pg_test_platform test{};
    decltype(pg_sampler_platform::path) readThrough = nullptr;
    std::mutex mutex;
    std::condition_variable arrived;
    int inside = 0;
    bool overlapped = false;

    static int path(const pg_sampler_platform *platform, char *out, std::size_t size,
                    const char *absolutePath)
    {
        auto &watcher = *static_cast<OverlapWatchingPlatform *>(platform->context);
        if (std::string_view(absolutePath) == "/proc/stat") {
            std::unique_lock lock(watcher.mutex);
            watcher.overlapped = watcher.overlapped || ++watcher.inside > 1;
            watcher.arrived.notify_all();
            watcher.arrived.wait_for(lock, std::chrono::milliseconds(50), [&] { return watcher.overlapped; });
            --watcher.inside;
        }
        return watcher.readThrough(platform, out, size, absolutePath);
    }
};

TEST_F(SystemMetricsSamplerTests, OneSamplerUsedFromTwoThreadsSamplesOneAtATime)
{
    OverlapWatchingPlatform watcher;
    ASSERT_TRUE(pg_test_platform_init(&watcher.test, m_tree.rootString().c_str()));
    watcher.readThrough = watcher.test.platform.path;
    watcher.test.platform.path = OverlapWatchingPlatform::path;
    watcher.test.platform.context = &watcher;
    SystemMetricsSampler sampler(systemClock(), ThermalZoneReader(m_tree.root()), &watcher.test.platform);
    std::latch start(2);
    const auto sampleThrice = [&] {
        start.arrive_and_wait();
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(sampler.sample().memoryUsedPercent.has_value());
    };
    std::thread first(sampleThrice), second(sampleThrice);
    first.join();
    second.join();
    EXPECT_FALSE(watcher.overlapped);
}

} // namespace
} // namespace pulsegrove
