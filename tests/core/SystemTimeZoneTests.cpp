#include "TemporaryDirectory.h"
#include "formatting/SystemTimeZone.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace pulsegrove;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t july2040 = 2225318400; // 2040-07-01 00:00 UTC
constexpr std::int64_t january2040 = 2209075200;
const fs::path installedDatabase = "/usr/share/zoneinfo";

using Query = std::pair<std::string, std::vector<std::int64_t>>;

// The offsets the C library gives for each TZ value at its instants, in order. Asked in a child
// process: setting TZ is not safe while other threads of this one may read the environment.
std::vector<std::int32_t> offsetsOfTheCLibrary(const std::vector<Query> &queries)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("no pipe");
    if (::fork() == 0) {
        ::close(pipeEnds[0]);
        std::vector<std::int32_t> offsets;
        for (const auto &[tz, instants] : queries) {
            ::setenv("TZ", tz.c_str(), 1);
            ::tzset();
            for (const std::time_t instant : instants) {
                std::tm parts{};
                offsets.push_back(std::int32_t(::localtime_r(&instant, &parts) ? parts.tm_gmtoff : -1));
            }
        }
        const auto *bytes = reinterpret_cast<const char *>(offsets.data());
        for (std::size_t left = offsets.size() * sizeof(std::int32_t); left > 0;) {
            const auto written = ::write(pipeEnds[1], bytes, left);
            if (written <= 0)
                ::_exit(1);
            bytes += written;
            left -= std::size_t(written);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::vector<std::int32_t> offsets;
    std::int32_t buffer[4096];
    for (ssize_t length; (length = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        offsets.insert(offsets.end(), buffer, buffer + length / sizeof(std::int32_t));
    ::close(pipeEnds[0]);
    ::wait(nullptr);
    return offsets;
}

// A zone with daylight saving compiled by the system's zic, "slim" (the closing rule does the
// work) or "fat" (every transition to 2037 listed).
void compileZone(const fs::path &root, const char *form, const fs::path &folder)
{
    std::ofstream(root / "test.zi") << "Rule T 2000 max - Mar lastSun 1:00u 1:00 S\n"
                                       "Rule T 2000 max - Oct lastSun 1:00u 0 -\n"
                                       "Zone Test/City 1:30 - LMT 1950\n 2:00 T TE%sT\n";
    const auto command = "zic -b " + std::string(form) + " -d '" + folder.string() + "' '" + (root / "test.zi").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A machine of its own: a small zone database copied from the installed one, an etc folder
// with nothing in it yet, and a file of random bytes. Public, for the cases that arrange it.
class SystemTimeZoneTests : public ::testing::Test {
public:
    SystemTimeZoneTests()
    {
        for (const char *zone : {"Asia/Tokyo", "Asia/Shanghai", "Europe/Berlin", "Etc/UTC", "America/Los_Angeles"}) {
            fs::create_directories((database() / zone).parent_path());
            fs::copy_file(fs::path("/usr/share/zoneinfo") / zone, database() / zone);
        }
        fs::create_directories(m_root.path() / "etc");
        std::mt19937 generator(9);
        std::string noise(2048, '\0');
        for (auto &byte : noise)
            byte = char(generator());
        m_root.writeFile("noise", noise);
    }

    fs::path database() const { return m_root.path() / "zoneinfo"; }
    fs::path localtime() const { return m_root.path() / "etc/localtime"; }
    fs::path moved() const { return m_root.path() / "moved"; }
    fs::path noise() const { return m_root.path() / "noise"; }
    void writeTimezoneName(const std::string &name) const { m_root.writeFile("etc/timezone", name); }

    TimeZone current(std::map<std::string, std::string> variables) const
    {
        SystemTimeZone::Locations locations{localtime(), m_root.path() / "etc/timezone", database()};
        return SystemTimeZone::current(Environment(std::move(variables)), locations);
    }

    pulsegrove::testing::TemporaryDirectory m_root;
};

struct ZoneCase {
    std::string description;
    std::function<void(const SystemTimeZoneTests &)> prepare;
    std::map<std::string, std::string> variables;
    std::string identifier;
    std::int32_t offsetInJuly2040;
};

} // namespace

TEST_F(SystemTimeZoneTests, FindsTheZoneTheWayTheCLibraryDoes)
{
    const auto tz = [](const fs::path &path) { return ":" + path.string(); };
    const auto nothing = [](const SystemTimeZoneTests &) {};
    const std::vector<ZoneCase> cases = {
        {"TZ with a colon", nothing, {{"TZ", ":America/Los_Angeles"}}, "America/Los_Angeles", -7 * 3600},
        {"TZ without a colon", nothing, {{"TZ", "Asia/Shanghai"}}, "Asia/Shanghai", 8 * 3600},
        {"TZ as a database path", nothing, {{"TZ", tz(database() / "Europe/Berlin")}}, "Europe/Berlin", 7200},
        {"TZ as a POSIX offset", nothing, {{"TZ", "CST-8"}}, "CST-8", 8 * 3600},
        // POSIX counts west: this is UTC-8, not the +8 a reader of "GMT+8" might expect.
        {"TZ as a POSIX GMT offset", nothing, {{"TZ", "GMT+8"}}, "GMT+8", -8 * 3600},
        {"TZ empty", nothing, {{"TZ", ""}}, "UTC", 0},
        {"TZ a bare colon", nothing, {{"TZ", ":"}}, "UTC", 0},
        {"TZ of garbage", nothing, {{"TZ", "Nowhere/Else"}}, "UTC", 0},
        {"TZ of control bytes", nothing, {{"TZ", std::string("\x01\xff\xfe/..", 6)}}, "UTC", 0},
        {"TZ naming random bytes", nothing, {{"TZ", tz(noise())}}, "UTC", 0},
        {"TZ naming a missing file", nothing, {{"TZ", tz(m_root.path() / "missing")}}, "UTC", 0},
        {"TZ naming a folder", nothing, {{"TZ", tz(database())}}, "UTC", 0},
        {"TZ naming a device", nothing, {{"TZ", ":/dev/zero"}}, "UTC", 0},
        {"TZ of 30,000 characters", nothing, {{"TZ", std::string(30000, 'A')}}, "UTC", 0},
        {"TZ of 1,000,000 characters", nothing, {{"TZ", std::string(1000000, '<')}}, "UTC", 0},
        {"TZ an unclosed bracket", nothing, {{"TZ", "<ABCDEFGHIJ"}}, "UTC", 0},
        // A copy of Asia/Tokyo under a bare name, in the database TZDIR names: the zone's own name.
        {"TZDIR moves the database",
         [](const SystemTimeZoneTests &test) {
             fs::copy(test.database(), test.moved(), fs::copy_options::recursive);
             fs::copy_file(test.database() / "Asia/Tokyo", test.moved() / "Tokio");
         },
         {{"TZ", "Tokio"}, {"TZDIR", moved().string()}},
         "Asia/Tokyo",
         9 * 3600},
        {"no TZ, localtime links into the database",
         [](const SystemTimeZoneTests &test) {
             fs::create_symlink(test.database() / "Europe/Berlin", test.localtime());
         },
         {},
         "Europe/Berlin",
         7200},
        {"no TZ, localtime links relatively",
         [](const SystemTimeZoneTests &test) {
             fs::create_symlink("../zoneinfo/Asia/Tokyo", test.localtime());
         },
         {},
         "Asia/Tokyo",
         9 * 3600},
        {"no TZ, localtime copied and named by /etc/timezone",
         [](const SystemTimeZoneTests &test) {
             fs::copy_file(test.database() / "Asia/Shanghai", test.localtime());
             test.writeTimezoneName("Asia/Shanghai\n");
         },
         {},
         "Asia/Shanghai",
         8 * 3600},
        {"no TZ, localtime copied without /etc/timezone",
         [](const SystemTimeZoneTests &test) {
             fs::copy_file(test.database() / "Asia/Tokyo", test.localtime());
         },
         {},
         "Asia/Tokyo",
         9 * 3600},
        {"no TZ, localtime copied beside a stale /etc/timezone",
         [](const SystemTimeZoneTests &test) {
             fs::copy_file(test.database() / "Europe/Berlin", test.localtime());
             test.writeTimezoneName("Etc/UTC\n");
         },
         {},
         "Europe/Berlin",
         7200},
        {"no TZ, localtime a slim copy of a fat database file",
         [](const SystemTimeZoneTests &test) {
             compileZone(test.m_root.path(), "fat", test.database());
             compileZone(test.m_root.path(), "slim", test.moved());
             fs::copy_file(test.moved() / "Test/City", test.localtime());
         },
         {},
         "Test/City",
         3 * 3600},
        {"no TZ, localtime of random bytes",
         [](const SystemTimeZoneTests &test) { fs::copy_file(test.noise(), test.localtime()); },
         {},
         "UTC",
         0},
        {"no TZ, localtime of random bytes though /etc/timezone names a zone",
         [](const SystemTimeZoneTests &test) {
             fs::copy_file(test.noise(), test.localtime());
             test.writeTimezoneName("Asia/Tokyo");
         },
         {},
         "UTC",
         0},
        {"no TZ, localtime a dangling link",
         [](const SystemTimeZoneTests &test) {
             fs::create_symlink(test.database() / "Gone/Away", test.localtime());
         },
         {},
         "UTC",
         0},
        {"no TZ, localtime a FIFO",
         [](const SystemTimeZoneTests &test) { ASSERT_EQ(::mkfifo(test.localtime().c_str(), 0600), 0); },
         {},
         "UTC",
         0},
        {"no TZ, no localtime", nothing, {}, "UTC", 0},
    };
    for (const auto &zoneCase : cases) {
        SCOPED_TRACE(zoneCase.description);
        fs::remove(localtime());
        fs::remove(m_root.path() / "etc/timezone");
        zoneCase.prepare(*this);
        const TimeZone zone = current(zoneCase.variables);
        EXPECT_EQ(zone.identifier(), zoneCase.identifier);
        EXPECT_EQ(zone.offsetSeconds(july2040), zoneCase.offsetInJuly2040);
    }
}

TEST_F(SystemTimeZoneTests, FollowsPOSIXRulesWithDaylightSavingAsTheCLibraryDoes)
{
    const std::vector<std::int64_t> instants = {january2040, july2040};
    std::vector<Query> queries;
    for (const char *rule : {"EST5EDT,M3.2.0,M11.1.0", "AEST-10AEDT,M10.1.0,M4.1.0/3", "XYZ5ABC",
                             "<+0330>-3:30<+0430>,J79/24,J263/24", "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1"})
        queries.push_back({rule, instants});
    const auto expected = offsetsOfTheCLibrary(queries);
    ASSERT_EQ(expected.size(), queries.size() * 2);
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const auto &rule = queries[index / 2].first;
        EXPECT_EQ(current({{"TZ", rule}}).offsetSeconds(instants[index % 2]), expected[index]) << rule << " at " << instants[index % 2];
    }
}

// Every name of the installed database, at an instant every 71 hours from 2023 to 2040 and on
// both sides of each change of offset found among them.
TEST(SystemTimeZoneAgreementTests, EveryZoneOfTheDatabaseHasTheCLibrarysOffsets)
{
    constexpr std::int64_t from = 1672531200, until = 2240524800, step = 71 * 3600; // 2023 to 2041
    std::vector<Query> queries;
    std::vector<TimeZone> zones;
    for (auto entry = fs::recursive_directory_iterator(installedDatabase); entry != fs::recursive_directory_iterator(); ++entry) {
        const auto name = entry->path().lexically_relative(installedDatabase).string();
        if (entry.depth() == 0 && (name == "posix" || name == "right"))
            entry.disable_recursion_pending();
        std::string magic(4, '\0');
        if (!entry->is_regular_file() || !std::ifstream(entry->path()).read(magic.data(), 4) || magic != "TZif")
            continue;
        zones.push_back(SystemTimeZone::current(Environment({{"TZ", name}})));
        std::vector<std::int64_t> instants;
        for (std::int64_t at = from; at < until; at += step) {
            if (!instants.empty() && zones.back().offsetSeconds(at) != zones.back().offsetSeconds(instants.back())) {
                std::int64_t before = instants.back(), after = at;
                while (after - before > 1) {
                    const auto middle = before + (after - before) / 2;
                    (zones.back().offsetSeconds(middle) == zones.back().offsetSeconds(before) ? before : after) = middle;
                }
                instants.insert(instants.end(), {before, after});
            }
            instants.push_back(at);
        }
        queries.push_back({name, std::move(instants)});
    }
    ASSERT_GT(queries.size(), 400u);
    const auto expected = offsetsOfTheCLibrary(queries);
    std::size_t next = 0, differences = 0;
    for (std::size_t zone = 0; zone < queries.size(); ++zone) {
        for (const auto instant : queries[zone].second) {
            if (next < expected.size() && zones[zone].offsetSeconds(instant) != expected[next] && ++differences <= 20)
                ADD_FAILURE() << queries[zone].first << " at " << instant << ": " << zones[zone].offsetSeconds(instant) << " instead of " << expected[next];
            ++next;
        }
    }
    EXPECT_EQ(next, expected.size());
    EXPECT_EQ(differences, 0u);
}

TEST(TimeZoneTests, NamesOnlyZonesOfTheDatabaseAndCopiesShareTheirRules)
{
    EXPECT_EQ(TimeZone::named("Nowhere/Else"), std::nullopt);
    EXPECT_EQ(TimeZone::named(""), std::nullopt);
    EXPECT_EQ(TimeZone::named("GMT+8"), std::nullopt);
    const auto berlin = TimeZone::named("Europe/Berlin");
    ASSERT_TRUE(berlin);
    const TimeZone copy = *berlin;
    EXPECT_EQ(copy, *berlin);
    EXPECT_FALSE(copy == TimeZone::utc());
    EXPECT_EQ(copy.offsetSeconds(july2040 + 183 * 86400), 3600);
}
