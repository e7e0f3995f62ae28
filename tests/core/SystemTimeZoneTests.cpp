#include "TemporaryDirectory.h"
#include "formatting/SystemTimeZone.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace pulsegrove;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t july2040 = 2225318400; // 2040-07-01 00:00 UTC
const fs::path installedDatabase = "/usr/share/zoneinfo";

using Query = std::pair<std::string, std::vector<std::int64_t>>;

// The offsets the C library gives for each TZ value at its instants, in order. Asked in a child
// process that writes them to shared memory: setting TZ is not safe while other threads of this one
// may read the environment.
std::vector<std::int32_t> offsetsOfTheCLibrary(const std::vector<Query> &queries)
{
    std::size_t count = 0;
    for (const auto &query : queries)
        count += query.second.size();
    const std::size_t bytes = (count + 1) * sizeof(std::int32_t);
    auto *shared = static_cast<std::int32_t *>(::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (shared == MAP_FAILED)
        throw std::runtime_error("no shared memory");
    const pid_t child = ::fork();
    if (child == 0) {
        std::size_t next = 0;
        for (const auto &[tz, instants] : queries) {
            ::setenv("TZ", tz.c_str(), 1);
            ::tzset();
            for (const std::time_t instant : instants) {
                std::tm parts{};
                shared[next++] = std::int32_t(::localtime_r(&instant, &parts) ? parts.tm_gmtoff : -1);
            }
        }
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    const std::vector<std::int32_t> offsets(shared, shared + (status == 0 ? count : 0));
    ::munmap(shared, bytes);
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
// with nothing in it yet, and a file of random bytes.
class SystemTimeZoneTests : public ::testing::Test {
public:
    SystemTimeZoneTests()
    {
        for (const char *zone : {"Asia/Tokyo", "Asia/Shanghai", "Europe/Berlin", "Etc/UTC", "America/Los_Angeles"}) {
            fs::create_directories((database() / zone).parent_path());
            fs::copy_file(installedDatabase / zone, database() / zone);
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
    void copyToLocaltime(const fs::path &from, const char *timezoneName = nullptr) const
    {
        fs::copy_file(from, localtime());
        if (timezoneName)
            m_root.writeFile("etc/timezone", timezoneName);
    }

    pulsegrove::testing::TemporaryDirectory m_root;
};

} // namespace

TEST_F(SystemTimeZoneTests, FindsTheZoneTheWayTheCLibraryDoes)
{
    using T = const SystemTimeZoneTests &;
    struct ZoneCase {
        std::string description;
        std::function<void(T)> prepare;
        std::map<std::string, std::string> variables;
        std::string identifier;
        std::int32_t offsetInJuly2040;
    };
    const auto tz = [](const fs::path &path) { return ":" + path.string(); };
    const auto nothing = [](T) {};
    const std::vector<ZoneCase> cases = {
        {"TZ with a colon", nothing, {{"TZ", ":America/Los_Angeles"}}, "America/Los_Angeles", -7 * 3600},
        {"TZ without a colon", nothing, {{"TZ", "Asia/Shanghai"}}, "Asia/Shanghai", 8 * 3600},
        {"TZ as a database path", nothing, {{"TZ", tz(database() / "Europe/Berlin")}}, "Europe/Berlin", 7200},
        {"TZ as a POSIX offset", nothing, {{"TZ", "CST-8"}}, "CST-8", 8 * 3600},
        // POSIX counts west: this is UTC-8, not the +8 a reader of "GMT+8" might expect.
        {"TZ as a POSIX GMT offset", nothing, {{"TZ", "GMT+8"}}, "GMT+8", -8 * 3600},
        // Without dates the US rules apply (the C library is an hour off at their autumn change).
        {"TZ as a POSIX rule without dates", nothing, {{"TZ", "XYZ5ABC"}}, "XYZ5ABC", -4 * 3600},
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
         [](T t) {
             fs::copy(t.database(), t.moved(), fs::copy_options::recursive);
             fs::copy_file(t.database() / "Asia/Tokyo", t.moved() / "Tokio");
         },
         {{"TZ", "Tokio"}, {"TZDIR", moved().string()}}, "Asia/Tokyo", 9 * 3600},
        {"localtime links into the database",
         [](T t) { fs::create_symlink(t.database() / "Europe/Berlin", t.localtime()); }, {}, "Europe/Berlin", 7200},
        {"localtime links relatively",
         [](T t) { fs::create_symlink("../zoneinfo/Asia/Tokyo", t.localtime()); }, {}, "Asia/Tokyo", 9 * 3600},
        {"localtime copied and named by /etc/timezone",
         [](T t) { t.copyToLocaltime(t.database() / "Asia/Shanghai", "Asia/Shanghai\n"); }, {}, "Asia/Shanghai", 8 * 3600},
        {"localtime copied without /etc/timezone",
         [](T t) { t.copyToLocaltime(t.database() / "Asia/Tokyo"); }, {}, "Asia/Tokyo", 9 * 3600},
        {"localtime copied beside a stale /etc/timezone",
         [](T t) { t.copyToLocaltime(t.database() / "Europe/Berlin", "Etc/UTC\n"); }, {}, "Europe/Berlin", 7200},
        {"localtime a slim copy of a fat database file",
         [](T t) {
             compileZone(t.m_root.path(), "fat", t.database());
             compileZone(t.m_root.path(), "slim", t.moved());
             t.copyToLocaltime(t.moved() / "Test/City");
         },
         {}, "Test/City", 3 * 3600},
        {"localtime of random bytes", [](T t) { t.copyToLocaltime(t.noise()); }, {}, "UTC", 0},
        {"localtime of random bytes though /etc/timezone names a zone",
         [](T t) { t.copyToLocaltime(t.noise(), "Asia/Tokyo"); }, {}, "UTC", 0},
        {"localtime a dangling link",
         [](T t) { fs::create_symlink(t.database() / "Gone/Away", t.localtime()); }, {}, "UTC", 0},
        {"localtime a FIFO", [](T t) { ASSERT_EQ(::mkfifo(t.localtime().c_str(), 0600), 0); }, {}, "UTC", 0},
        {"no TZ, no localtime", nothing, {}, "UTC", 0},
    };
    for (const auto &zoneCase : cases) {
        SCOPED_TRACE(zoneCase.description);
        fs::remove(localtime());
        fs::remove(m_root.path() / "etc/timezone");
        zoneCase.prepare(*this);
        SystemTimeZone::Locations locations{localtime(), m_root.path() / "etc/timezone", database()};
        const TimeZone zone = SystemTimeZone::current(Environment(zoneCase.variables), locations);
        EXPECT_EQ(zone.identifier(), zoneCase.identifier);
        EXPECT_EQ(zone.offsetSeconds(july2040), zoneCase.offsetInJuly2040);
    }
}

// Every name of the installed database and POSIX rules with daylight saving, at an instant every
// 71 hours from 2023 to 2040 and on both sides of each change of offset found among them.
TEST(SystemTimeZoneAgreementTests, EveryZoneOfTheDatabaseHasTheCLibrarysOffsets)
{
    constexpr std::int64_t from = 1672531200, until = 2240524800, step = 71 * 3600; // 2023 to 2041
    std::vector<Query> queries;
    std::vector<TimeZone> zones;
    std::vector<std::string> names = {"EST5EDT,M3.2.0,M11.1.0", "AEST-10AEDT,M10.1.0,M4.1.0/3",
                                      "<+0330>-3:30<+0430>,J79/24,J263/24", "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1"};
    for (auto entry = fs::recursive_directory_iterator(installedDatabase); entry != fs::recursive_directory_iterator(); ++entry) {
        const auto name = entry->path().lexically_relative(installedDatabase).string();
        if (entry.depth() == 0 && (name == "posix" || name == "right"))
            entry.disable_recursion_pending();
        std::string magic(4, '\0');
        if (entry->is_regular_file() && std::ifstream(entry->path()).read(magic.data(), 4) && magic == "TZif")
            names.push_back(name);
    }
    for (const auto &name : names) {
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

TEST(TimeZoneTests, NamesOnlyZonesOfTheDatabase)
{
    for (const char *name : {"Nowhere/Else", "", "GMT+8"})
        EXPECT_EQ(TimeZone::named(name), std::nullopt) << name;
    EXPECT_EQ(TimeZone::named("Europe/Berlin")->offsetSeconds(july2040 + 183 * 86400), 3600);
}
