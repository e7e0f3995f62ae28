#include "SamplerFixture.h"

namespace pulsegrove::testing {
namespace {

// The machine's own sensors and counters behind the SMC and host stand-ins, read from a fake tree.
class LinuxSensorTests : public SamplerFixture {};

TEST_F(LinuxSensorTests, WithoutCpuSensorsThereIsNoSmcAndNoTemperature)
{
    m_tree.addHwmon(0, "acpitz");
    m_tree.addHwmonSensor(0, 1, "", "45000");
    auto *state = create();
    EXPECT_EQ(state->smc_connection, 0u);
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid);
}

TEST_F(LinuxSensorTests, AppleSmcKeysAreUsedVerbatimAndWinOverHwmon)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> sensors; // label, millidegrees
        std::vector<std::string> keys;
        double celsius;
        uint32_t source;
    };
    const Case cases[] = {
        {{{"TA0P", "31000"}, {"TC0P", "52250"}, {"TC0D", "58500"}}, {"TC0D"}, 58.5, 2},
        // No candidate: enumerated, without the battery key and a label that is no key.
        {{{"Tp01", "41000"}, {"TC1C", "44000"}, {"TB0T", "30000"}, {"TOOLONG", "50000"}}, {"Tp01", "TC1C"}, 44.0, 3},
    };
    for (const auto &c : cases) {
        m_tree.remove("sys");
        m_tree.addHwmon(0, "coretemp");
        m_tree.addHwmonSensor(0, 1, "Package id 0", "99000");
        for (std::size_t i = 0; i < c.sensors.size(); ++i)
            m_tree.addAppleSmcSensor(static_cast<int>(i) + 1, c.sensors[i].first, c.sensors[i].second);
        auto *state = create();
        EXPECT_EQ(cachedKeys(state), c.keys);
        auto sample = pg_system_metrics_sampler_sample(state);
        EXPECT_DOUBLE_EQ(sample.cpu_temperature, c.celsius);
        EXPECT_EQ(sample.temperature_source, c.source);
    }
}

TEST_F(LinuxSensorTests, HwmonCpuSensorsBecomeDieAndCoreKeys)
{
    struct Sensor {
        int index;
        std::string label, millidegrees;
    };
    struct Case {
        std::string driver;
        std::vector<Sensor> sensors;
        std::vector<std::string> keys;
        double celsius;
    };
    const Case cases[] = {
        {"coretemp", {{1, "Package id 0", "47000"}, {2, "Core 0", "45000"}}, {"TC0D"}, 47.0},
        // "Core 10" would be "TCAC", which the key filter refuses.
        {"coretemp",
         {{2, "Core 0", "45000"}, {3, "Core 1", "53000"}, {12, "Core 10", "70000"}},
         {"TC0C", "TC1C"},
         53.0},
        // Tctl may carry a fan-control offset, so Tdie wins.
        {"k10temp", {{1, "Tctl", "75000"}, {2, "Tdie", "65000"}, {3, "Tccd1", "60000"}}, {"TC0D"}, 65.0},
        {"k10temp", {{1, "", "66000"}}, {"TC0D"}, 66.0}, // older kernels: Tctl without a label
        {"zenpower", {{3, "Tccd1", "61000"}, {4, "Tccd2", "63500"}}, {"TC0C", "TC1C"}, 63.5},
        {"cpu_thermal", {{1, "", "48312"}}, {"TC0D"}, 48.3125}, // rounded to 1/256 °C
    };
    for (const auto &c : cases) {
        m_tree.remove("sys");
        m_tree.addHwmon(0, "nvme"); // not a CPU sensor
        m_tree.addHwmonSensor(0, 1, "Composite", "39000");
        m_tree.addHwmon(2, c.driver);
        for (const auto &sensor : c.sensors)
            m_tree.addHwmonSensor(2, sensor.index, sensor.label, sensor.millidegrees);
        auto *state = create();
        EXPECT_EQ(cachedKeys(state), c.keys) << c.driver;
        EXPECT_DOUBLE_EQ(pg_system_metrics_sampler_sample(state).cpu_temperature, c.celsius) << c.driver;
    }
}

TEST_F(LinuxSensorTests, OddSensorValuesGiveNoTemperature)
{
    m_tree.addHwmon(0, "coretemp");
    const std::string cutOff = "45000" + std::string(40, ' ') + "x"; // valid only if read cut short
    for (const std::string &value :
         std::vector<std::string>{"hot", "", "45000 degrees", "-5000", "999999999999", "150000", cutOff}) {
        m_tree.addHwmonSensor(0, 1, "Package id 0", value);
        auto *state = create();
        EXPECT_EQ(state->key_count, 0) << value;
        EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid) << value;
    }
}

TEST_F(LinuxSensorTests, ASensorThatVanishesEndsInANewDiscovery)
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
    s_now += 3;
    auto sample = pg_system_metrics_sampler_sample(state);
    ASSERT_TRUE(sample.temperature_valid);
    EXPECT_DOUBLE_EQ(sample.cpu_temperature, 52.0);
}

TEST_F(LinuxSensorTests, ProcessorTicksFoldGuestIrqAndIowaitTime)
{
    // user 100 (of which guest 30), nice 20 (guest_nice 5), system 40, irq 3, softirq 2, steal 5,
    // idle 500, iowait 10: busy = 70 + 15 + 50 = 135, total = 135 + 510.
    m_tree.writeProcStat({{100, 20, 40, 500, 10, 3, 2, 5, 30, 5}, {10, 0, 0, 90, 0, 0, 0, 0, 0, 0}});
    uint64_t busy = 0, total = 0;
    ASSERT_EQ(pg_read_cpu_totals(&busy, &total), 1);
    EXPECT_EQ(busy, 135u + 10u);
    EXPECT_EQ(total, 645u + 100u);

    m_tree.writeProcStat({{10, 2, 0, 0, 0, 0, 0, 0, 30, 5}}); // guest above user: no wrap-around
    ASSERT_EQ(pg_read_cpu_totals(&busy, &total), 1);
    EXPECT_EQ(busy, 0u);

    // Fields past the ten known ones are ignored, however many there are.
    std::string longLine = "cpu0 1 0 1 2";
    for (int i = 0; i < 100'000; ++i)
        longLine += " 0";
    m_tree.write("proc/stat", longLine + "\n");
    ASSERT_EQ(pg_read_cpu_totals(&busy, &total), 1);
    EXPECT_EQ(total, 4u);
}

TEST_F(LinuxSensorTests, OddProcessorTicksAreAFailedReadThatLeavesTheOutputsUntouched)
{
    for (const char *text : {"intr 1 2 3\n", "cpu0 1 2\n", "cpu0 -5 0 0 0\n", "cpu0 1 2 3 4x\n",
                             "cpu0\ncpu1 10 0 5 85\n", "cpu0 99999999999999999999 0 0 0\n",
                             "cpu0 1099511627777 0 0 0\n"}) {
        m_tree.write("proc/stat", text);
        uint64_t busy = 7, total = 9;
        EXPECT_EQ(pg_read_cpu_totals(&busy, &total), 0) << text;
        EXPECT_EQ(busy, 7u);
        EXPECT_EQ(total, 9u);
    }
    m_tree.remove("proc");
    uint64_t busy = 0, total = 0;
    EXPECT_EQ(pg_read_cpu_totals(&busy, &total), 0);
}

TEST_F(LinuxSensorTests, OddMeminfoLinesMakeMemoryAbsent)
{
    const std::string valid = "Active: 400 kB\nInactive: 200 kB\nActive(file): 100 kB\nInactive(file): 100 kB\n";
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

} // namespace
} // namespace pulsegrove::testing
