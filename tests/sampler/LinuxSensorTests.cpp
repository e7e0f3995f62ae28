#include "SamplerFixture.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>

namespace pulsegrove::testing {
namespace {

// The machine's own sensors and counters behind the SMC and host stand-ins, read from a fake tree.
class LinuxSensorTests : public SamplerFixture {};

TEST_F(LinuxSensorTests, CpuSensorsWithSaneValuesBecomeKeysAndAppleSmcKeysWinOverHwmon)
{
    struct Case {
        std::string driver; // "applesmc": those sensors, above a coretemp package at 99 °C
        std::vector<std::tuple<int, std::string, std::string>> sensors; // index, label, millidegrees
        std::vector<std::string> keys;
        double celsius;
        uint32_t source;
    };
    const std::string cutOff = "45000" + std::string(40, ' ') + "x"; // valid only if read cut short
    const Case cases[] = {
        {"acpitz", {{1, "", "45000"}}, {}, 0.0, 0}, // no CPU sensor: no SMC, no temperature
        // Odd values: a CPU sensor, but no key and no temperature.
        {"coretemp", {{1, "Package id 0", "hot"}}, {}, 0.0, 0},
        {"coretemp", {{1, "Package id 0", "-5000"}}, {}, 0.0, 0},
        {"coretemp", {{1, "Package id 0", "999999999999"}}, {}, 0.0, 0},
        {"coretemp", {{1, "Package id 0", cutOff}}, {}, 0.0, 0},
        {"applesmc", {{1, "TA0P", "31000"}, {2, "TC0P", "52250"}, {3, "TC0D", "58500"}}, {"TC0D"}, 58.5, 2},
        // No candidate: enumerated, without the battery key and a label that is no key.
        {"applesmc", {{1, "Tp01", "41000"}, {2, "TC1C", "44000"}, {3, "TB0T", "30000"}, {4, "TOOLONG", "50000"}},
         {"Tp01", "TC1C"}, 44.0, 3},
        {"coretemp", {{1, "Package id 0", "47000"}, {2, "Core 0", "45000"}}, {"TC0D"}, 47.0, 2},
        // "Core 10" would be "TCAC", which the key filter refuses.
        {"coretemp", {{2, "Core 0", "45000"}, {3, "Core 1", "53000"}, {12, "Core 10", "70000"}}, {"TC0C", "TC1C"},
         53.0, 3},
        // Tctl may carry a fan-control offset, so Tdie wins.
        {"k10temp", {{1, "Tctl", "75000"}, {2, "Tdie", "65000"}, {3, "Tccd1", "60000"}}, {"TC0D"}, 65.0, 2},
        {"k10temp", {{1, "", "66000"}}, {"TC0D"}, 66.0, 2}, // older kernels: Tctl without a label
        {"zenpower", {{3, "Tccd1", "61000"}, {4, "Tccd2", "63500"}}, {"TC0C", "TC1C"}, 63.5, 3},
        {"cpu_thermal", {{1, "", "48312"}}, {"TC0D"}, 48.3125, 2}, // rounded to 1/256 °C
    };
    for (const auto &c : cases) {
        m_tree.remove("sys");
        m_tree.addHwmon(0, "nvme"); // not a CPU sensor
        m_tree.addHwmonSensor(0, 1, "Composite", "39000");
        const bool smc = c.driver == "applesmc";
        m_tree.addHwmon(2, smc ? "coretemp" : c.driver);
        if (smc)
            m_tree.addHwmonSensor(2, 1, "Package id 0", "99000");
        for (const auto &[index, label, millidegrees] : c.sensors)
            smc ? m_tree.addAppleSmcSensor(index, label, millidegrees)
                : m_tree.addHwmonSensor(2, index, label, millidegrees);
        auto *state = create();
        const auto where = c.driver + " " + std::get<2>(c.sensors.back());
        EXPECT_EQ(cachedKeys(state), c.keys) << where;
        EXPECT_EQ(state->smc_connection != 0, c.driver != "acpitz") << where;
        const auto sample = pg_system_metrics_sampler_sample(state);
        EXPECT_EQ(sample.temperature_valid, !c.keys.empty()) << where;
        EXPECT_DOUBLE_EQ(sample.cpu_temperature, c.celsius) << where;
        EXPECT_EQ(sample.temperature_source, c.source) << where;
    }
}

TEST_F(LinuxSensorTests, ASensorThatVanishesEndsInANewDiscoveryThreeSecondsLater)
{
    m_tree.addHwmon(0, "coretemp");
    m_tree.addHwmonSensor(0, 1, "Package id 0", "47000");
    auto *state = create();
    ASSERT_TRUE(pg_system_metrics_sampler_sample(state).temperature_valid);

    m_tree.remove("sys/class/hwmon/hwmon0");
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid);
    EXPECT_EQ(state->smc_connection, 0u);

    m_tree.addHwmon(1, "k10temp");
    m_tree.addHwmonSensor(1, 1, "Tctl", "52000");
    s_now += 2; // the next attempt waits three seconds
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid);
    s_now += 1;
    EXPECT_DOUBLE_EQ(pg_system_metrics_sampler_sample(state).cpu_temperature, 52.0);
}

TEST_F(LinuxSensorTests, ProcessorTicksFoldGuestIrqAndIowaitTimeAndOddOnesAreAFailedReadThatChangesNothing)
{
    std::string longTail; // fields past the ten known ones are ignored, however many there are
    for (int i = 0; i < 100'000; ++i)
        longTail += " 0";
    using Totals = std::pair<uint64_t, uint64_t>; // busy, total
    // cpu0: user 100 (of which guest 30), nice 20 (guest_nice 5), system 40, irq 3, softirq 2, steal 5,
    // idle 500, iowait 10: busy = 70 + 15 + 50 = 135, total = 135 + 510.
    const std::pair<std::string, std::optional<Totals>> cases[] = {
        {"cpu  9 9 9 9\ncpu0 100 20 40 500 10 3 2 5 30 5\ncpu1 10 0 0 90 0 0 0 0 0 0\nintr 1\n",
         Totals{145, 745}},
        {"cpu0 10 2 0 0 0 0 0 0 30 5\n", Totals{0, 0}}, // guest above user: no wrap-around
        {"cpu0 1 0 1 2" + longTail + "\n", Totals{2, 4}},
        {"intr 1 2 3\n", {}},
        {"cpu0 -5 0 0 0\n", {}},
        {"cpu0 99999999999999999999 0 0 0\n", {}},
        {"cpu0 1099511627777 0 0 0\n", {}},
    };
    for (const auto &[text, expected] : cases) {
        m_tree.write("proc/stat", text);
        uint64_t busy = 7, total = 9;
        EXPECT_EQ(pg_read_cpu_totals(&m_platform.platform, &busy, &total), expected ? 1 : 0)
            << text.substr(0, 40);
        EXPECT_EQ(std::pair(busy, total), expected.value_or(Totals{7, 9})) << text.substr(0, 40);
    }
}

TEST_F(LinuxSensorTests, OddMeminfoLinesMakeMemoryAbsent)
{
    const std::string valid =
        "Active: 400 kB\nInactive: 200 kB\nActive(file): 100 kB\nInactive(file): 100 kB\n";
    auto *state = create();
    ASSERT_TRUE(pg_system_metrics_sampler_sample(state).memory_valid);
    for (const char *odd : {"Inactive: lots\n", "Inactive: -5 kB\n", "Inactive: 400 MB\n",
                            "Inactive: 99999999999999999999 kB\n", "Unevictable: 18014398509481983 kB\n"}) {
        m_tree.write("proc/meminfo", odd + ("MemTotal: 1024 kB\n" + valid));
        EXPECT_FALSE(pg_system_metrics_sampler_sample(state).memory_valid) << odd;
    }
    m_tree.remove("proc/meminfo");
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).memory_valid);
}

// Whatever is put where the sampler reads, no read blocks or grows without bound: a FIFO, a
// device or a file larger than its cap reads as missing; /proc files are never taken through a
// link, while the links that sysfs is made of are followed.
TEST_F(LinuxSensorTests, HostileFilesReadAsMissingWithoutBlockingAndSysfsLinksAreFollowed)
{
    std::string hugeStat = "cpu0 100 0 100 800\n";
    while (hugeStat.size() <= 1024 * 1024)
        hugeStat += "intr" + std::string(1000, ' ') + "0\n";
    const auto sensor = "sys/class/hwmon/hwmon1/temp1_input";
    struct Case {
        std::string description;
        std::function<void(const FakeSensorTree &)> arrange;
        bool cpuValid, memoryValid, temperatureValid;
    };
    using T = const FakeSensorTree &;
    const Case cases[] = {
        {"untouched", [](T) {}, true, true, true},
        {"/proc/stat a FIFO", [](T tree) { tree.replaceWithFifo("proc/stat"); }, false, true, true},
        {"/proc/stat beyond its cap", [&](T tree) { tree.write("proc/stat", hugeStat); }, false, true, true},
        {"/proc/meminfo a link to /dev/zero", [](T tree) { tree.replaceWithLink("proc/meminfo", "/dev/zero"); },
         true, false, true},
        {"/proc/meminfo a link to a good file", [](T tree) {
             std::filesystem::rename(tree.root() / "proc/meminfo", tree.root() / "meminfo");
             tree.replaceWithLink("proc/meminfo", tree.root() / "meminfo");
         }, true, false, true},
        {"a sensor a FIFO", [&](T tree) { tree.replaceWithFifo(sensor); }, true, true, false},
        {"a sensor a link to /dev/zero", [&](T tree) { tree.replaceWithLink(sensor, "/dev/zero"); }, true, true,
         false},
        {"the hwmon entry a link to its device, as in sysfs", [](T tree) {
             std::filesystem::create_directories(tree.root() / "sys/devices/platform/coretemp.0/hwmon");
             std::filesystem::rename(tree.root() / "sys/class/hwmon/hwmon1",
                                     tree.root() / "sys/devices/platform/coretemp.0/hwmon/hwmon1");
             tree.replaceWithLink("sys/class/hwmon/hwmon1", "../../devices/platform/coretemp.0/hwmon/hwmon1");
         }, true, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        for (const char *folder : {"sys", "proc", "meminfo"})
            m_tree.remove(folder);
        writeProcFiles();
        m_tree.addHwmon(1, "coretemp");
        m_tree.addHwmonSensor(1, 1, "Package id 0", "47000");
        c.arrange(m_tree);
        auto *state = create();
        if (c.cpuValid)
            m_tree.writeProcStat({{150, 0, 100, 900}});
        const auto sample = pg_system_metrics_sampler_sample(state);
        EXPECT_EQ(sample.cpu_usage_valid, c.cpuValid);
        EXPECT_EQ(sample.memory_valid, c.memoryValid);
        EXPECT_EQ(sample.temperature_valid, c.temperatureValid);
    }
}

} // namespace
} // namespace pulsegrove::testing
