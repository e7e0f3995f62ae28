#include "SamplerFixture.h"

namespace pulsegrove::testing {
namespace {

// The machine's own sensors behind the SMC stand-in, read from a fake sysfs tree.
class LinuxSensorTests : public SamplerFixture {
protected:
    std::vector<std::string> cachedKeys(const pg_system_metrics_sampler *state) const
    {
        std::vector<std::string> keys;
        for (int i = 0; i < state->key_count; ++i)
            keys.push_back(cachedKey(state, i));
        return keys;
    }
};

TEST_F(LinuxSensorTests, WithoutSensorsThereIsNoSmcAndNoTemperature)
{
    m_tree.addHwmon(0, "acpitz");
    m_tree.addHwmonSensor(0, 1, "", "45000");
    auto *state = create();
    EXPECT_EQ(state->smc_connection, 0u);
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid);
    EXPECT_EQ(pg_smc_open_matching("AppleSMCKeysEndpoint"), 0u);
}

TEST_F(LinuxSensorTests, AppleSmcKeysAreUsedVerbatim)
{
    m_tree.addAppleSmcSensor(1, "TA0P", "31000");
    m_tree.addAppleSmcSensor(2, "TC0P", "52250");
    m_tree.addAppleSmcSensor(3, "TC0D", "58500");
    m_tree.addHwmon(0, "coretemp");
    m_tree.addHwmonSensor(0, 1, "Package id 0", "99000");
    auto *state = create();

    EXPECT_EQ(cachedKeys(state), std::vector<std::string>{"TC0D"});
    auto sample = pg_system_metrics_sampler_sample(state);
    ASSERT_TRUE(sample.temperature_valid);
    EXPECT_DOUBLE_EQ(sample.cpu_temperature, 58.5);
    EXPECT_EQ(sample.temperature_source, 2u);
}

TEST_F(LinuxSensorTests, AppleSmcKeysAreEnumeratedWhenNoCandidateExists)
{
    m_tree.addAppleSmcSensor(1, "Tp01", "41000");
    m_tree.addAppleSmcSensor(2, "TC1C", "44000");
    m_tree.addAppleSmcSensor(10, "TB0T", "30000"); // battery: filtered out
    m_tree.addAppleSmcSensor(4, "TOOLONG", "50000");
    auto *state = create();

    EXPECT_EQ(cachedKeys(state), (std::vector<std::string>{"Tp01", "TC1C"}));
    auto sample = pg_system_metrics_sampler_sample(state);
    EXPECT_DOUBLE_EQ(sample.cpu_temperature, 44.0);
    EXPECT_EQ(sample.temperature_source, 3u);
}

TEST_F(LinuxSensorTests, CoretempPackageIsTheDieKey)
{
    m_tree.addHwmon(0, "nvme");
    m_tree.addHwmonSensor(0, 1, "Composite", "39000");
    m_tree.addHwmon(1, "coretemp");
    m_tree.addHwmonSensor(1, 1, "Package id 0", "47000");
    m_tree.addHwmonSensor(1, 2, "Core 0", "45000");
    auto *state = create();

    EXPECT_EQ(cachedKeys(state), std::vector<std::string>{"TC0D"});
    EXPECT_DOUBLE_EQ(pg_system_metrics_sampler_sample(state).cpu_temperature, 47.0);
}

TEST_F(LinuxSensorTests, CoresWithoutAPackageSensorAreEnumerated)
{
    m_tree.addHwmon(0, "coretemp");
    m_tree.addHwmonSensor(0, 2, "Core 0", "45000");
    m_tree.addHwmonSensor(0, 3, "Core 1", "53000");
    m_tree.addHwmonSensor(0, 12, "Core 10", "70000"); // "TCAC" does not pass the key filter
    auto *state = create();

    EXPECT_EQ(cachedKeys(state), (std::vector<std::string>{"TC0C", "TC1C"}));
    auto sample = pg_system_metrics_sampler_sample(state);
    EXPECT_DOUBLE_EQ(sample.cpu_temperature, 53.0);
    EXPECT_EQ(sample.temperature_source, 3u);
}

TEST_F(LinuxSensorTests, AmdDieSensorPrefersTdieOverTctl)
{
    m_tree.addHwmon(0, "k10temp");
    m_tree.addHwmonSensor(0, 1, "Tctl", "75000");
    m_tree.addHwmonSensor(0, 2, "Tdie", "65000");
    m_tree.addHwmonSensor(0, 3, "Tccd1", "60000");
    auto *state = create();

    EXPECT_DOUBLE_EQ(pg_system_metrics_sampler_sample(state).cpu_temperature, 65.0);
}

TEST_F(LinuxSensorTests, AmdCoreComplexesAndUnlabelledSensorsGetKeys)
{
    m_tree.addHwmon(3, "zenpower");
    m_tree.addHwmonSensor(3, 3, "Tccd1", "61000");
    m_tree.addHwmonSensor(3, 4, "Tccd2", "63500");
    auto *state = create();
    EXPECT_EQ(cachedKeys(state), (std::vector<std::string>{"TC0C", "TC1C"}));

    m_tree.addHwmon(4, "k10temp");
    m_tree.addHwmonSensor(4, 1, "", "66000"); // older kernels: Tctl without a label
    auto *second = create();
    EXPECT_EQ(cachedKeys(second), std::vector<std::string>{"TC0D"});
}

TEST_F(LinuxSensorTests, ArmCpuThermalIsTheDieKey)
{
    m_tree.addHwmon(0, "cpu_thermal");
    m_tree.addHwmonSensor(0, 1, "", "48312");
    auto *state = create();
    auto sample = pg_system_metrics_sampler_sample(state);
    ASSERT_TRUE(sample.temperature_valid);
    EXPECT_NEAR(sample.cpu_temperature, 48.312, 1.0 / 256);
}

TEST_F(LinuxSensorTests, OddSensorValuesGiveNoTemperature)
{
    m_tree.addHwmon(0, "coretemp");
    for (const char *value : {"hot", "", "45000 degrees", "-5000", "999999999999", "150000"}) {
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
    EXPECT_EQ(state->next_smc_attempt, s_now + 3);

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
}

TEST_F(LinuxSensorTests, UnreadableProcessorTicksLeaveTheOutputsUntouched)
{
    uint64_t busy = 7, total = 9;
    m_tree.write("proc/stat", "intr 1 2 3\n");
    EXPECT_EQ(pg_read_cpu_totals(&busy, &total), 0);
    m_tree.remove("proc");
    EXPECT_EQ(pg_read_cpu_totals(&busy, &total), 0);
    EXPECT_EQ(busy, 7u);
    EXPECT_EQ(total, 9u);
    EXPECT_EQ(pg_read_cpu_totals(nullptr, &total), 0);
}

} // namespace
} // namespace pulsegrove::testing
