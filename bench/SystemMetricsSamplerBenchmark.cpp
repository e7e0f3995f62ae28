// Cost of one metrics sample: on this machine's real /proc and /sys, and on a fake sensor tree
// whose SMC stand-in exposes 64 temperature keys, all of which end up cached.

#include "metrics/SystemMetricsSampler.h"
#include "sensors/FakeSensorTree.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <pg_sampler_internal.h>
#include <pg_test_platform.h>

namespace {

using pulsegrove::SystemMetricsSampler;
using pulsegrove::ThermalZoneReader;
using pulsegrove::testing::FakeSensorTree;

// A machine whose applesmc driver offers 64 keys that pass the discovery filter and no candidate
// key, so discovery enumerates and caches all of them.
std::unique_ptr<FakeSensorTree> makeSixtyFourKeyTree()
{
    auto tree = std::make_unique<FakeSensorTree>();
    tree->writeProcStat(std::vector<FakeSensorTree::ProcessorTicks>(8, {1000, 10, 500, 8000}));
    tree->writeMeminfo({{"MemTotal", 16'000'000},
                        {"Active", 4'000'000},
                        {"Inactive", 2'000'000},
                        {"Unevictable", 1000},
                        {"SUnreclaim", 90'000},
                        {"KernelStack", 20'000},
                        {"PageTables", 40'000},
                        {"Active(file)", 1'500'000},
                        {"Inactive(file)", 1'000'000}});
    char key[5];
    for (int i = 0; i < 64; ++i) {
        std::snprintf(key, sizeof key, "Tp%02d", i);
        tree->addAppleSmcSensor(i + 1, key, std::to_string(40000 + 250 * i));
    }
    tree->addThermalZone(0, "x86_pkg_temp", 52000, {{"passive", 95000}, {"critical", 105000}});
    return tree;
}

void reportTemperature(benchmark::State &state, const pg_system_metrics_sample &sample)
{
    state.counters["temperature_valid"] = sample.temperature_valid ? 1 : 0;
    state.counters["cpu_valid"] = sample.cpu_usage_valid ? 1 : 0;
    state.counters["memory_valid"] = sample.memory_valid ? 1 : 0;
}

// A platform reading below root ("" for this machine), with the sensors or a scripted SMC.
pg_test_platform platformAt(const std::string &root, pg_fake_smc *smc = nullptr)
{
    pg_test_platform platform{};
    pg_test_platform_init(&platform, root.c_str());
    pg_test_platform_set_smc(&platform, smc);
    return platform;
}

void nativeSampleLoop(benchmark::State &state, const pg_sampler_platform *platform)
{
    auto *sampler = pg_system_metrics_sampler_create_on(platform);
    pg_system_metrics_sample sample{};
    for (auto _ : state) {
        sample = pg_system_metrics_sampler_sample(sampler);
        benchmark::DoNotOptimize(sample);
    }
    state.counters["cached_keys"] = sampler ? sampler->key_count : 0;
    reportTemperature(state, sample);
    pg_system_metrics_sampler_destroy(sampler);
}

// This machine as it is (a container may have no sensors: then the temperature is absent and no
// SMC work is done for 60 s at a time).
void BM_NativeSampleThisMachine(benchmark::State &state)
{
    nativeSampleLoop(state, pg_machine_platform());
}
BENCHMARK(BM_NativeSampleThisMachine);

// This machine's /proc with one cached temperature key answered by the scripted SMC: the cost of
// a real sample once discovery has found the package sensor.
void BM_NativeSampleThisMachineWithCachedKey(benchmark::State &state)
{
    pg_fake_smc_key keys[] = {pg_fake_smc_sp78_key("TC0D", 55.0)};
    pg_fake_smc smc{};
    smc.service_class = "AppleSMC";
    smc.keys = keys;
    smc.key_count = 1;
    const auto platform = platformAt("", &smc);
    nativeSampleLoop(state, &platform.platform);
}
BENCHMARK(BM_NativeSampleThisMachineWithCachedKey);

void BM_WrapperSampleThisMachine(benchmark::State &state)
{
    SystemMetricsSampler sampler;
    for (auto _ : state)
        benchmark::DoNotOptimize(sampler.sample());
}
BENCHMARK(BM_WrapperSampleThisMachine);

void BM_NativeSampleSixtyFourKeyTree(benchmark::State &state)
{
    auto tree = makeSixtyFourKeyTree();
    const auto platform = platformAt(tree->rootString());
    nativeSampleLoop(state, &platform.platform);
}
BENCHMARK(BM_NativeSampleSixtyFourKeyTree);

void BM_WrapperSampleSixtyFourKeyTree(benchmark::State &state)
{
    auto tree = makeSixtyFourKeyTree();
    const auto platform = platformAt(tree->rootString());
    SystemMetricsSampler sampler(pulsegrove::systemClock(), ThermalZoneReader(tree->root()),
                                 &platform.platform);
    for (auto _ : state)
        benchmark::DoNotOptimize(sampler.sample());
}
BENCHMARK(BM_WrapperSampleSixtyFourKeyTree);

// Creation: first tick read, SMC open and a full discovery of the 64 keys.
void BM_CreateWithDiscoverySixtyFourKeyTree(benchmark::State &state)
{
    auto tree = makeSixtyFourKeyTree();
    const auto platform = platformAt(tree->rootString());
    for (auto _ : state)
        pg_system_metrics_sampler_destroy(pg_system_metrics_sampler_create_on(&platform.platform));
}
BENCHMARK(BM_CreateWithDiscoverySixtyFourKeyTree);

} // namespace

BENCHMARK_MAIN();
