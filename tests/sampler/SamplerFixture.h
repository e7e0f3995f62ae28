#pragma once

#include "pg_sampler_internal.h"
#include "pg_test_platform.h"
#include "sensors/FakeSensorTree.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pulsegrove::testing {

// Points the sampler at a fake /proc and /sys tree, a hand-moved clock and, when a test installs
// one, a scripted SMC; everything is put back after each test.
class SamplerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_now = 1'000'000;
        ASSERT_TRUE(pg_test_platform_init(&m_platform, m_tree.rootString().c_str()));
        pg_test_platform_set_clock(&m_platform, [] { return s_now; });
        writeProcFiles();
    }

    // A machine of one processor and 1 MiB of memory, 600 KiB of it in use.
    void writeProcFiles() const
    {
        m_tree.writeProcStat({{100, 0, 50, 850}});
        m_tree.writeMeminfo(
            {{"MemTotal", 1024}, {"Active", 400}, {"Inactive", 200}, {"Active(file)", 100}, {"Inactive(file)", 100}});
    }

    void TearDown() override
    {
        for (auto *state : m_states)
            pg_system_metrics_sampler_destroy(state);
    }

    // Installs a scripted SMC answering to the given class with the given keys.
    pg_fake_smc &installSmc(std::vector<pg_fake_smc_key> keys, const char *serviceClass = "AppleSMC")
    {
        m_keys = std::move(keys);
        m_smc = pg_fake_smc{serviceClass, 0, m_keys.data(), m_keys.size(), 0, 0, 0};
        pg_test_platform_set_smc(&m_platform, &m_smc);
        return m_smc;
    }

    // A sampler destroyed after the test.
    pg_system_metrics_sampler *create()
    {
        return m_states.emplace_back(pg_system_metrics_sampler_create_on(&m_platform.platform));
    }

    // A bare state record with an open connection to the installed SMC, for the steps on their own.
    pg_system_metrics_sampler *connectedState()
    {
        auto *state = static_cast<pg_system_metrics_sampler *>(calloc(1, sizeof(pg_system_metrics_sampler)));
        state->platform = &m_platform.platform;
        state->smc_connection = pg_smc_open_matching(&m_platform.platform, m_smc.service_class);
        m_states.push_back(state);
        return state;
    }

    static std::vector<std::string> cachedKeys(const pg_system_metrics_sampler *state)
    {
        return {state->temperature_keys, state->temperature_keys + state->key_count};
    }

    static inline std::int64_t s_now = 0;
    FakeSensorTree m_tree;
    pg_test_platform m_platform{};
    pg_fake_smc m_smc{};
    std::vector<pg_fake_smc_key> m_keys;
    std::vector<pg_system_metrics_sampler *> m_states;
};

} // namespace pulsegrove::testing
