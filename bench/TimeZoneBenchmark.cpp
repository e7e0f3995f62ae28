// What finding the local time zone costs, in each way the machine can name it, what one exact
// reset text costs with it, and what looking up one offset costs beside the C library's
// localtime_r. Formatters ask for the zone whenever they format.

#include "TemporaryDirectory.h"
#include "formatting/ExactDateTimeText.h"
#include "formatting/SystemTimeZone.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

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
    const auto zone =
        SystemTimeZone::current(Environment(std::map<std::string, std::string>{{"TZ", "America/New_York"}}));
    const Date now = Date::fromUnixSeconds(2'161'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExactDateTimeText::format(2'161'000'000 + 86'400, now, zone, true));
}
BENCHMARK(BM_ExactDateTimeText)->Unit(benchmark::kMicrosecond);

// Instants spread over 2023 to 2100, in random order so no lookup profits from the one before.
const std::vector<std::int64_t> &lookupInstants()
{
    static const auto instants = [] {
        std::mt19937_64 generator(24);
        std::uniform_int_distribution<std::int64_t> between(1672531200, 4102444800);
        std::vector<std::int64_t> values(4096);
        for (auto &value : values)
            value = between(generator);
        return values;
    }();
    return instants;
}

// The zones looked up: a fat file of the installed database, the same zone built slim (the
// closing rule does the work past its last listed change), and a POSIX rule in TZ.
const std::vector<std::string> lookupZones = {"Europe/Berlin", "slim Europe/Lisbon",
                                              "EST5EDT,M3.2.0,M11.1.0"};

TimeZone lookupZone(const std::string &name, const testing::TemporaryDirectory &folder)
{
    constexpr std::string_view slim = "slim ";
    if (!name.starts_with(slim))
        return SystemTimeZone::current(Environment(std::map<std::string, std::string>{{"TZ", name}}));
    const auto command =
        "zic -b slim -d '" + folder.path().string() + "' " + (installedDatabase / "tzdata.zi").string();
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("zic failed");
    return *TimeZone::fromZoneData(
        testing::TemporaryDirectory::readFile(folder.path() / name.substr(slim.size())), {});
}

void BM_OffsetLookup(benchmark::State &state)
{
    testing::TemporaryDirectory folder;
    const auto &name = lookupZones.at(std::size_t(state.range(0)));
    const auto zone = lookupZone(name, folder);
    const auto &instants = lookupInstants();
    std::size_t next = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(zone.offsetSeconds(instants[next++ % instants.size()]));
    state.SetLabel(name);
}
BENCHMARK(BM_OffsetLookup)->DenseRange(0, 2)->Unit(benchmark::kNanosecond);

// The C library's answer to the same question, for scale: localtime_r on the same instants.
void BM_OffsetLookupOfTheCLibrary(benchmark::State &state)
{
    testing::TemporaryDirectory folder;
    const auto &name = lookupZones.at(std::size_t(state.range(0)));
    if (constexpr std::string_view slim = "slim "; name.starts_with(slim)) {
        lookupZone(name, folder);
        ::setenv("TZ", (":" + (folder.path() / name.substr(slim.size())).string()).c_str(), 1);
    } else {
        ::setenv("TZ", name.c_str(), 1);
    }
    ::tzset();
    const auto &instants = lookupInstants();
    std::size_t next = 0;
    for (auto _ : state) {
        const std::time_t instant = instants[next++ % instants.size()];
        std::tm parts{};
        benchmark::DoNotOptimize(::localtime_r(&instant, &parts));
        benchmark::DoNotOptimize(parts.tm_gmtoff);
    }
    ::unsetenv("TZ");
    ::tzset();
    state.SetLabel(name);
}
BENCHMARK(BM_OffsetLookupOfTheCLibrary)->DenseRange(0, 2)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
