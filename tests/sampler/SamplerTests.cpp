#include "SamplerFixture.h"

#include <optional>
#include <tuple>

namespace pulsegrove::testing {
namespace {

class SamplerTests : public SamplerFixture {};

TEST_F(SamplerTests, CpuUsageCountsFromThePreviousReadingThatAdvanced)
{
    auto *state = create(); // base: busy 150 of 1000
    const auto expectUsage = [&](std::optional<double> percent) {
        const auto sample = pg_system_metrics_sampler_sample(state);
        EXPECT_EQ(sample.cpu_usage_valid ? std::optional(sample.cpu_usage) : std::nullopt, percent);
    };
    m_tree.writeProcStat({{110, 0, 65, 875}}); // busy +25 of total +50
    expectUsage(50.0);

    expectUsage(std::nullopt);                // total did not advance
    m_tree.writeProcStat({{90, 0, 50, 960}}); // busy went back: no figure, but the new base
    expectUsage(std::nullopt);
    m_tree.remove("proc/stat"); // a failed read changes nothing
    expectUsage(std::nullopt);
    m_tree.write("proc/stat", "cpu  1 2 3 4\ncpu0 1 2\n");
    expectUsage(std::nullopt);
    m_tree.writeProcStat({{100, 0, 50, 970}}); // +10 of +20 since the base
    expectUsage(50.0);
}

TEST_F(SamplerTests, MemoryIsInUseMinusFileBackedPagesCappedAtThePhysicalMemoryReadAtCreation)
{
    using Meminfo = std::vector<std::pair<std::string, std::uint64_t>>;
    const std::pair<Meminfo, std::optional<std::uint64_t>> cases[] = {
        {{{"Active", 400}, {"Inactive", 200}, {"Active(file)", 100}, {"Inactive(file)", 100}}, 400},
        // Wired and compressed pages count as in use.
        {{{"Active", 100}, {"Inactive", 0}, {"Unevictable", 8}, {"SUnreclaim", 12}, {"KernelStack", 16},
          {"PageTables", 20}, {"Zswap", 40}, {"Active(file)", 0}, {"Inactive(file)", 0}},
         196},
        // In use not above the excluded pages.
        {{{"Active", 100}, {"Inactive", 100}, {"Active(file)", 150}, {"Inactive(file)", 50}}, 0},
        // More than the physical memory.
        {{{"Active", 2000}, {"Inactive", 100}, {"Active(file)", 10}, {"Inactive(file)", 10}}, 1024},
        // A required line missing.
        {{{"Active", 400}, {"Active(file)", 100}, {"Inactive(file)", 100}}, std::nullopt},
    };
    auto *state = create();
    m_tree.remove("proc/meminfo"); // no physical memory: no memory figures, whatever comes later
    auto *withoutPhysicalMemory = create();
    for (const auto &[lines, usedKilobytes] : cases) {
        Meminfo withTotal = lines;
        withTotal.emplace_back("MemTotal", 1024);
        m_tree.writeMeminfo(withTotal);
        EXPECT_FALSE(pg_system_metrics_sampler_sample(withoutPhysicalMemory).memory_valid);
        const auto sample = pg_system_metrics_sampler_sample(state);
        ASSERT_EQ(sample.memory_valid, usedKilobytes.has_value()) << withTotal.size();
        if (!usedKilobytes)
            continue;
        EXPECT_EQ(std::tuple(sample.memory_used_bytes, sample.memory_total_bytes, sample.memory_used_percent),
                  std::tuple(*usedKilobytes * 1024, 1024u * 1024u, *usedKilobytes / 1024.0 * 100.0));
    }
}

TEST_F(SamplerTests, OpeningFindsOnlyThatClassAndPrefersTheKeysEndpointAndDestroyClosesTheConnection)
{
    auto &smc = installSmc({pg_fake_smc_sp78_key("TC0D", 55.0)}, "AppleSMCKeysEndpoint");
    EXPECT_EQ(pg_smc_open_matching(&m_platform.platform, "AppleSMC"), 0u);
    auto *state = pg_system_metrics_sampler_create_on(&m_platform.platform);
    EXPECT_EQ(smc.open_connections, 1u);
    pg_system_metrics_sampler_destroy(state);
    EXPECT_EQ(smc.open_connections, 0u);
    smc.open_status = 0x2C5; // a failing open leaves nothing open
    EXPECT_EQ(pg_smc_open_matching(&m_platform.platform, "AppleSMCKeysEndpoint"), 0u);
    EXPECT_EQ(smc.open_connections, 0u);
    // A null state: an empty sample, and nothing to destroy.
    pg_system_metrics_sampler_destroy(nullptr);
    const auto sample = pg_system_metrics_sampler_sample(nullptr);
    EXPECT_FALSE(sample.cpu_usage_valid || sample.memory_valid || sample.temperature_valid);
}

TEST_F(SamplerTests, AFailedOpenOrDiscoveryWaitsSixtySecondsAndADiscoveryKeepsTheConnection)
{
    auto &smc = installSmc({pg_fake_smc_sp78_key("TC0D", 5.0)}, nullptr);
    auto *state = create();
    EXPECT_EQ(state->smc_connection, 0u);

    smc.service_class = "AppleSMC";
    s_now += 59;
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid);
    EXPECT_EQ(smc.open_count, 0u);
    s_now += 1; // opens, but the only key reads invalid
    EXPECT_FALSE(pg_system_metrics_sampler_sample(state).temperature_valid);
    EXPECT_EQ(smc.open_connections, 1u);
    EXPECT_EQ(state->next_smc_attempt, s_now + 60);

    m_keys[0] = pg_fake_smc_sp78_key("TC0D", 55.0);
    s_now += 60;
    auto sample = pg_system_metrics_sampler_sample(state);
    ASSERT_TRUE(sample.temperature_valid);
    EXPECT_DOUBLE_EQ(sample.cpu_temperature, 55.0);
    EXPECT_EQ(sample.temperature_source, 2u);
    EXPECT_EQ(smc.open_count, 1u) << "discovery reused the open connection";
    EXPECT_EQ(state->next_smc_attempt, 0);
}

} // namespace
} // namespace pulsegrove::testing
