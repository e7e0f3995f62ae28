// What finding the local time zone costs, in each way the machine can name it, and what one exact
// reset text costs with it. Formatters ask for the zone whenever they format.

#include "TemporaryDirectory.h"
#include "formatting/ExactDateTimeText.h"
#include "formatting/SystemTimeZone.h"

#include <benchmark/benchmark.h>
#include <filesystem>

using namespace pulsegrove;
namespace fs = std::filesystem;

namespace {

const fs::path installedDatabase = "/usr/share/zoneinfo";

SystemTimeZone::Locations locationsIn(const testing::TemporaryDirectory &folder)
{
    return {folder.path() / "localtime", folder.path() / "timezone", installedDatabase};
}

void BM_CurrentFromTZ(benchmark::State &state)
{
    const Environment environment(std::map<std::string, std::string>{{"TZ", ":Europe/Berlin"}});
    for (auto _ : state)
        benchmark::DoNotOptimize(SystemTimeZone::current(environment));
}
BENCHMARK(BM_CurrentFromTZ)->Unit(benchmark::kMicrosecond);

void BM_CurrentFromLinkedLocaltime(benchmark::State &state)
{
    testing::TemporaryDirectory folder;
    fs::create_symlink(installedDatabase / "Asia/Shanghai", folder.path() / "localtime");
    const auto locations = locationsIn(folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(SystemTimeZone::current(Environment(), locations));
}
BENCHMARK(BM_CurrentFromLinkedLocaltime)->Unit(benchmark::kMicrosecond);

// A copied file without /etc/timezone: the database walk once, then the kept answer.
void BM_CurrentFromCopiedLocaltime(benchmark::State &state)
{
    testing::TemporaryDirectory folder;
    fs::copy_file(installedDatabase / "Asia/Tokyo", folder.path() / "localtime");
    const auto locations = locationsIn(folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(SystemTimeZone::current(Environment(), locations));
}
BENCHMARK(BM_CurrentFromCopiedLocaltime)->Unit(benchmark::kMicrosecond);

// The walk itself: two copied files in turn, so every call asks a new question.
void BM_CopiedLocaltimeDatabaseWalk(benchmark::State &state)
{
    testing::TemporaryDirectory first, second;
    fs::copy_file(installedDatabase / "Asia/Tokyo", first.path() / "localtime");
    fs::copy_file(installedDatabase / "Europe/Berlin", second.path() / "localtime");
    const auto locations = {locationsIn(first), locationsIn(second)};
    for (auto _ : state) {
        for (const auto &each : locations)
            benchmark::DoNotOptimize(SystemTimeZone::current(Environment(), each));
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_CopiedLocaltimeDatabaseWalk)->Unit(benchmark::kMillisecond);

void BM_ExactDateTimeText(benchmark::State &state)
{
    const auto zone = SystemTimeZone::current(Environment(std::map<std::string, std::string>{{"TZ", "America/New_York"}}));
    const Date now = Date::fromUnixSeconds(2'161'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExactDateTimeText::format(2'161'000'000 + 86'400, now, zone, true));
}
BENCHMARK(BM_ExactDateTimeText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
