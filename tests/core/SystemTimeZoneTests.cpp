#include "TemporaryDirectory.h"
#include "formatting/SystemTimeZone.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <vector>

using namespace pulsegrove;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t july2040 = 2225318400; // 2040-07-01 00:00 UTC

// A machine of its own: a small zone database copied from the installed one, an etc folder
// with nothing in it yet, and a file of random bytes. Public, for the cases that arrange it.
class SystemTimeZoneTests : public ::testing::Test {
public:
    SystemTimeZoneTests()
    {
        for (const char *zone : {"Asia/Tokyo", "Asia/Shanghai", "Europe/Berlin", "Etc/UTC"}) {
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
        // POSIX counts west: this is UTC-8, not the +8 that ICU's custom "GMT+8" would mean.
        {"TZ as a POSIX GMT offset", nothing, {{"TZ", "GMT+8"}}, "GMT+8", -8 * 3600},
        {"TZ empty", nothing, {{"TZ", ""}}, "UTC", 0},
        {"TZ a bare colon", nothing, {{"TZ", ":"}}, "UTC", 0},
        {"TZ of garbage", nothing, {{"TZ", "Nowhere/Else"}}, "UTC", 0},
        {"TZ of control bytes", nothing, {{"TZ", std::string("\x01\xff\xfe/..", 6)}}, "UTC", 0},
        {"TZ naming random bytes", nothing, {{"TZ", tz(noise())}}, "UTC", 0},
        {"TZ naming a missing file", nothing, {{"TZ", tz(m_root.path() / "missing")}}, "UTC", 0},
        {"TZ naming a folder", nothing, {{"TZ", tz(database())}}, "UTC", 0},
        {"TZ naming a device", nothing, {{"TZ", ":/dev/zero"}}, "UTC", 0},
        // A name ICU does not know, found among the files of the database TZDIR names.
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
