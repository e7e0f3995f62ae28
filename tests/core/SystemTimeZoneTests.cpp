#include "TemporaryDirectory.h"
#include "formatting/SystemTimeZone.h"
#include "formatting/ZoneData.h"
#include "formatting/ZoneFile.h"
#include "formatting/ZoneWarningLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
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

// The offsets the C library gives for each TZ value at its instants, in order, reading its zone
// files from the database folder when one is given (TZDIR). Asked in a child process that writes
// them to shared memory: setting TZ is not safe while other threads of this one may read the
// environment.
std::vector<std::int32_t> offsetsOfTheCLibrary(const std::vector<Query> &queries,
                                               const fs::path &database = {})
{
    std::size_t count = 0;
    for (const auto &query : queries)
        count += query.second.size();
    const std::size_t bytes = (count + 1) * sizeof(std::int32_t);
    auto *shared = static_cast<std::int32_t *>(
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (shared == MAP_FAILED)
        throw std::runtime_error("no shared memory");
    const pid_t child = ::fork();
    if (child == 0) {
        if (!database.empty())
            ::setenv("TZDIR", database.c_str(), 1);
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
// work) or "fat" (every transition to 2037 listed); with the system's table of leap seconds as
// under right/ when asked.
void compileZone(const fs::path &root, const char *form, const fs::path &folder,
                 bool countingLeapSeconds = false)
{
    std::ofstream(root / "test.zi") << "Rule T 2000 max - Mar lastSun 1:00u 1:00 S\n"
                                       "Rule T 2000 max - Oct lastSun 1:00u 0 -\n"
                                       "Zone Test/City 1:30 - LMT 1950\n 2:00 T TE%sT\n";
    const std::string leapSeconds =
        countingLeapSeconds ? " -L " + (installedDatabase / "leapseconds").string() : "";
    const auto command = "zic -b " + std::string(form) + leapSeconds + " -d '" + folder.string() + "' '" +
                         (root / "test.zi").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A machine of its own: a small zone database copied from the installed one, an etc folder
// with nothing in it yet, and a file of random bytes.
class SystemTimeZoneTests : public ::testing::Test {
public:
    SystemTimeZoneTests()
    {
        for (const char *zone :
             {"Asia/Tokyo", "Asia/Shanghai", "Europe/Berlin", "Etc/UTC", "America/Los_Angeles"}) {
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
    // An installed zone that counts leap seconds, under right/ of the database, as /etc/localtime
    // (a link to it or a copy) beside an /etc/timezone still naming UTC.
    void rightZoneBesideStaleName(const char *zone, bool linked) const
    {
        const auto path = database() / "right" / zone;
        fs::create_directories(path.parent_path());
        fs::copy_file(installedDatabase / "right" / zone, path, fs::copy_options::skip_existing);
        if (linked)
            fs::create_symlink(path, localtime());
        else
            fs::copy_file(path, localtime());
        m_root.writeFile("etc/timezone", "Etc/UTC\n");
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
         {{"TZ", "Tokio"}, {"TZDIR", moved().string()}},
         "Asia/Tokyo",
         9 * 3600},
        {"localtime links into the database",
         [](T t) { fs::create_symlink(t.database() / "Europe/Berlin", t.localtime()); },
         {},
         "Europe/Berlin",
         7200},
        {"localtime links relatively",
         [](T t) { fs::create_symlink("../zoneinfo/Asia/Tokyo", t.localtime()); },
         {},
         "Asia/Tokyo",
         9 * 3600},
        {"localtime copied and named by /etc/timezone",
         [](T t) { t.copyToLocaltime(t.database() / "Asia/Shanghai", "Asia/Shanghai\n"); },
         {},
         "Asia/Shanghai",
         8 * 3600},
        {"localtime copied without /etc/timezone",
         [](T t) { t.copyToLocaltime(t.database() / "Asia/Tokyo"); },
         {},
         "Asia/Tokyo",
         9 * 3600},
        {"localtime copied beside a stale /etc/timezone",
         [](T t) { t.copyToLocaltime(t.database() / "Europe/Berlin", "Etc/UTC\n"); },
         {},
         "Europe/Berlin",
         7200},
        {"localtime a slim copy of a fat database file",
         [](T t) {
             compileZone(t.m_root.path(), "fat", t.database());
             compileZone(t.m_root.path(), "slim", t.moved());
             t.copyToLocaltime(t.moved() / "Test/City");
         },
         {},
         "Test/City",
         3 * 3600},
        // A Linux clock counts no leap seconds: the zone of the same name without them.
        {"TZ naming a leap-second zone",
         [](T t) {
             compileZone(t.m_root.path(), "fat", t.database());
             compileZone(t.m_root.path(), "fat", t.database() / "right", true);
         },
         {{"TZ", "right/Test/City"}},
         "Test/City",
         3 * 3600},
        {"localtime links to a slim leap-second zone",
         [](T t) {
             compileZone(t.m_root.path(), "slim", t.database());
             compileZone(t.m_root.path(), "slim", t.database() / "right", true);
             fs::create_symlink(t.database() / "right/Test/City", t.localtime());
         },
         {},
         "Test/City",
         3 * 3600},
        // A stale name without listed changes leaves nothing to compare: a link names the zone, a
        // copy keeps its own changes.
        {"right/Europe/Berlin linked",
         [](T t) { t.rightZoneBesideStaleName("Europe/Berlin", true); },
         {},
         "Europe/Berlin",
         7200},
        {"right/Asia/Tokyo linked",
         [](T t) { t.rightZoneBesideStaleName("Asia/Tokyo", true); },
         {},
         "Asia/Tokyo",
         9 * 3600},
        {"right/Europe/Berlin copied",
         [](T t) { t.rightZoneBesideStaleName("Europe/Berlin", false); },
         {},
         "localtime",
         7200},
        {"localtime of random bytes", [](T t) { t.copyToLocaltime(t.noise()); }, {}, "UTC", 0},
        {"localtime of random bytes though /etc/timezone names a zone",
         [](T t) { t.copyToLocaltime(t.noise(), "Asia/Tokyo"); },
         {},
         "UTC",
         0},
        {"localtime a dangling link",
         [](T t) { fs::create_symlink(t.database() / "Gone/Away", t.localtime()); },
         {},
         "UTC",
         0},
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

namespace {

// From 2023 to 2100, at an instant every five days and an hour, so the hour of day moves on.
constexpr std::int64_t comparedFrom = 1672531200, comparedUntil = 4102444800, comparedStep = 121 * 3600;

// The instants a zone is checked at: every step, and both sides of each change of offset the
// zone itself shows between them.
std::vector<std::int64_t> instantsToCompare(const TimeZone &zone, std::int64_t until = comparedUntil)
{
    std::vector<std::int64_t> instants;
    for (std::int64_t at = comparedFrom; at < until; at += comparedStep) {
        if (!instants.empty() && zone.offsetSeconds(at) != zone.offsetSeconds(instants.back())) {
            std::int64_t before = instants.back(), after = at;
            while (after - before > 1) {
                const auto middle = before + (after - before) / 2;
                (zone.offsetSeconds(middle) == zone.offsetSeconds(before) ? before : after) = middle;
            }
            instants.insert(instants.end(), {before, after});
        }
        instants.push_back(at);
    }
    return instants;
}

// The names of a zone folder's files, without its posix/ and right/ variants.
std::vector<std::string> zoneNamesIn(const fs::path &database)
{
    std::vector<std::string> names;
    for (auto entry = fs::recursive_directory_iterator(database); entry != fs::recursive_directory_iterator();
         ++entry) {
        const auto name = entry->path().lexically_relative(database).string();
        if (entry.depth() == 0 && (name == "posix" || name == "right"))
            entry.disable_recursion_pending();
        std::string magic(4, '\0');
        if (entry->is_regular_file() && std::ifstream(entry->path()).read(magic.data(), 4) && magic == "TZif")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Agreement {
    std::size_t names = 0, instants = 0, differences = 0;
};

// Our offsets against the C library's at the instants of the queries; the first differences fail
// the test with their zone and instant, and all are counted.
Agreement compare(const std::vector<Query> &queries, const std::vector<TimeZone> &zones,
                  const std::vector<std::int32_t> &expected, const std::string &kind)
{
    Agreement agreement{queries.size()};
    for (std::size_t zone = 0; zone < queries.size(); ++zone) {
        for (const auto instant : queries[zone].second) {
            const auto offset = zones[zone].offsetSeconds(instant);
            if (agreement.instants < expected.size() && offset != expected[agreement.instants] &&
                ++agreement.differences <= 20)
                ADD_FAILURE() << kind << " " << queries[zone].first << " at " << instant << ": " << offset
                              << " instead of " << expected[agreement.instants];
            ++agreement.instants;
        }
    }
    EXPECT_EQ(agreement.instants, expected.size()) << kind;
    std::printf("%s: %zu names, %zu instants, %zu differences\n", kind.c_str(), agreement.names,
                agreement.instants, agreement.differences);
    return agreement;
}

// Our zone and the instants to check it at, for each TZ value, found through TZDIR when given.
std::pair<std::vector<Query>, std::vector<TimeZone>> zonesAndQueries(const std::vector<std::string> &names,
                                                                     const fs::path &database = {})
{
    std::vector<Query> queries;
    std::vector<TimeZone> zones;
    for (const auto &name : names) {
        std::map<std::string, std::string> variables{{"TZ", name}};
        if (!database.empty())
            variables["TZDIR"] = database.string();
        zones.push_back(SystemTimeZone::current(Environment(variables)));
        queries.push_back({name, instantsToCompare(zones.back())});
    }
    return {std::move(queries), std::move(zones)};
}

// A database built from the installed one's source by the system's zic, in the form given
// ("fat" or "slim"), with the same zones counting leap seconds under right/.
void compileDatabase(const fs::path &folder, const char *form)
{
    const fs::path source = installedDatabase / "tzdata.zi", leapSeconds = installedDatabase / "leapseconds";
    const auto zic = "zic -b " + std::string(form) + " -d '" + folder.string() + "' " + source.string();
    ASSERT_EQ(std::system(zic.c_str()), 0) << zic;
    const auto right = "zic -b " + std::string(form) + " -L " + leapSeconds.string() + " -d '" +
                       (folder / "right").string() + "' " + source.string() + " 2>/dev/null";
    ASSERT_EQ(std::system(right.c_str()), 0) << right;
}

} // namespace

// Every name of the installed database and POSIX rules with daylight saving.
TEST(SystemTimeZoneAgreementTests, EveryZoneOfTheDatabaseHasTheCLibrarysOffsets)
{
    std::vector<std::string> names = {"EST5EDT,M3.2.0,M11.1.0", "AEST-10AEDT,M10.1.0,M4.1.0/3",
                                      "<+0330>-3:30<+0430>,J79/24,J263/24",
                                      "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1"};
    const auto installed = zoneNamesIn(installedDatabase);
    names.insert(names.end(), installed.begin(), installed.end());
    const auto [queries, zones] = zonesAndQueries(names);
    ASSERT_GT(queries.size(), 400u);
    EXPECT_EQ(compare(queries, zones, offsetsOfTheCLibrary(queries), "installed").differences, 0u);
}

// Zone files as zic writes them by default ("slim": past the last listed change the closing rule
// does the work) and as Debian ships them ("fat"), each also counting leap seconds under right/:
// every name against the C library reading the same files, the right/ ones against the plain
// ones, since a Linux clock counts no leap seconds. The zone library says nothing on the terminal.
TEST(SystemTimeZoneAgreementTests, SlimFatAndLeapSecondFilesHaveTheCLibrarysOffsets)
{
    if (std::system("command -v zic >/dev/null") != 0)
        GTEST_SKIP() << "zic, which builds the zone files, is not installed";
    for (const char *form : {"slim", "fat"}) {
        SCOPED_TRACE(form);
        const pulsegrove::testing::TemporaryDirectory folder;
        compileDatabase(folder.path(), form);
        const auto names = zoneNamesIn(folder.path());
        ASSERT_GT(names.size(), 400u);
        ::testing::internal::CaptureStderr();
        auto [queries, zones] = zonesAndQueries(names, folder.path());
        std::vector<TimeZone> leapSecondZones;
        for (const auto &name : names)
            leapSecondZones.push_back(SystemTimeZone::current(
                Environment({{"TZ", "right/" + name}, {"TZDIR", folder.path().string()}})));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        const auto expected = offsetsOfTheCLibrary(queries, folder.path());
        EXPECT_EQ(compare(queries, zones, expected, form).differences, 0u);
        EXPECT_EQ(compare(queries, leapSecondZones, expected, std::string("right/ ") + form).differences, 0u);
    }
}

namespace {

// A rule as POSIX writes it, with the extensions zone files use (changes at negative times or
// past midnight), chosen at random: names plain or quoted, offsets with minutes and seconds,
// dates of all three kinds, and sometimes no daylight saving at all.
std::string randomRule(std::mt19937 &generator)
{
    const auto below = [&](int limit) { return int(generator() % unsigned(limit)); };
    const auto name = [&] {
        std::string text;
        for (int letter = 0, length = 3 + below(3); letter < length; ++letter)
            text += char('A' + below(26));
        return below(4) == 0 ? "<" + std::string(below(2) ? "+" : "-") + std::to_string(10 + below(90)) + ">"
                             : text;
    };
    const auto duration = [&](int hours, bool signedTime) {
        std::string text = signedTime && below(3) == 0 ? "-" : below(4) == 0 ? "+" : "";
        text += std::to_string(below(hours + 1));
        for (int part = 0, parts = below(3); part < parts; ++part)
            text += ":" + std::to_string(100 + below(60)).substr(below(2) ? 1 : 2);
        return text;
    };
    const auto change = [&] {
        const int kind = below(3);
        std::string text = kind == 0   ? "J" + std::to_string(1 + below(365))
                           : kind == 1 ? std::to_string(below(366))
                                       : "M" + std::to_string(1 + below(12)) + "." +
                                             std::to_string(1 + below(5)) + "." + std::to_string(below(7));
        return below(2) ? text + "/" + duration(below(5) == 0 ? 167 : 24, true) : text;
    };
    std::string rule = name() + duration(24, true);
    if (below(5) == 0)
        return rule;
    rule += name() + (below(2) ? duration(24, true) : "");
    return rule + "," + change() + "," + change();
}

} // namespace

// TZ values in the POSIX form. What is not a rule is refused, and the zone is UTC; every rule
// gives the C library's offsets, a rule with one change only, changes close together, daylight
// saving all year or across New Year, and 3,000 random rules among them.
TEST(SystemTimeZoneAgreementTests, PosixRulesHaveTheCLibrarysOffsetsOrAreRefused)
{
    for (const char *refused : {"EST5EDT,garbage",
                                "EST5EDT,M13.2.0,M11.1.0",
                                "EST5EDT,J0,J365",
                                "EST5EDT,M3.0.0,M11.1.0",
                                "EST5EDT,M3.6.0,M11.1.0",
                                "EST5EDT,M3.2.7,M11.1.0",
                                "EST5EDT,366,0",
                                "EST5EDT,M3.2.0/168,M11.1.0",
                                "EST5EDT,M3.2.0/2:60,M11.1.0",
                                "EST5EDT,M3.2.0,",
                                "EST5EDT,M3.2.0,M11.1.0,M12.1.0",
                                "EST5EDT,M3.2.0,M11.1.0x",
                                "EST25",
                                "EST5:60",
                                "EST005",
                                "ES5",
                                "ES",
                                "<ES>5",
                                "EST5ED",
                                "EST5EDT,M3.2.0/"}) {
        EXPECT_EQ(TimeZone::fromPosixRule(refused), std::nullopt) << refused;
        EXPECT_EQ(SystemTimeZone::current(Environment({{"TZ", std::string(refused)}})).identifier(), "UTC")
            << refused;
    }
    std::vector<std::string> rules = {
        "EST5EDT,M3.2.0",                   // the C library ends daylight saving in November
        "TSFU-12FVXJR,J267/1,M9.4.2",       // the end falls before the start in some years
        "AEST-10AEDT,M10.1.0,M4.1.0/3",     // across New Year
        "EST5EDT,0/0,J365/25",              // all year
        "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1", // changes at negative times
        "IST-2IDT,M3.4.4/26,M10.5.0",       // and past midnight
        "XXX3YYY,J60,J300",                 // February 29 never counted
        "XXX3YYY,59,300",                   // and counted
        "XXX-5:30YYY-6:45:15,M2.5.6/23:59:59,M12.5.0/0",
        "XXX-13YYY,M1.1.0/-167,M12.5.6/167",
    };
    std::mt19937 generator(24);
    while (rules.size() < 3000)
        rules.push_back(randomRule(generator));
    std::vector<Query> queries;
    std::vector<TimeZone> zones;
    constexpr std::int64_t year2031 = 1924992000;
    for (const auto &rule : rules) {
        const auto zone = TimeZone::fromPosixRule(rule);
        ASSERT_NE(zone, std::nullopt) << rule;
        zones.push_back(*zone);
        queries.push_back({rule, instantsToCompare(*zone, year2031)});
    }
    EXPECT_EQ(compare(queries, zones, offsetsOfTheCLibrary(queries), "POSIX rules").differences, 0u);
}

TEST(TimeZoneTests, NamesOnlyZonesOfTheDatabase)
{
    for (const char *name : {"Nowhere/Else", "", "GMT+8"})
        EXPECT_EQ(TimeZone::named(name), std::nullopt) << name;
    EXPECT_EQ(TimeZone::named("Europe/Berlin")->offsetSeconds(july2040 + 183 * 86400), 3600);
}

// Past its last listed change a zone follows its rule, whose changes repeat only with the
// calendar: zones are the same only over every change either lists and a whole cycle of the rules.
TEST(TimeZoneTests, ComparesOffsetsOverEveryListedChangeAndAWholeCycleOfTheRules)
{
    const auto minus3 = TimeZone::fixed(-3 * 3600, "XXX3");
    // Daylight saving only in years whose February has five Sundays: 1824, 1852, 1880, 1920, ...,
    // 2088, 2128, none in the first ten years of a comparison from 1800.
    const auto fiveSundays = TimeZone::fromPosixRule("XXX3YYY,M2.5.0/2,M2.4.0/3").value();
    EXPECT_EQ(fiveSundays.offsetSeconds(1972252800), -2 * 3600); // July 2032
    EXPECT_FALSE(fiveSundays.hasSameOffsets(minus3));
    // A zone file whose one change comes in 2250.
    ZoneFile late{{8835955200}, {1}, {{-3 * 3600, false, 0}, {-2 * 3600, false, 0}}, {"XXX\0", 4}, {}, {}};
    EXPECT_FALSE(TimeZone::fromZoneData(late.bytes(), {}).value().hasSameOffsets(minus3));
    // A comparison that ends before it begins proves nothing.
    EXPECT_FALSE(minus3.hasSameOffsets(minus3, std::numeric_limits<std::int64_t>::min()));
}

// Zone data the zone code has to work around is reported to the application's log, once however
// often it is read, and never on the terminal: a file whose closing rule is no rule (its last
// listed offset then holds), and what the zone library itself complains of.
TEST(TimeZoneTests, ReportsBrokenZoneDataToTheLogOnce)
{
    const pulsegrove::testing::TemporaryDirectory folder;
    compileZone(folder.path(), "slim", folder.path());
    const auto bytes = pulsegrove::testing::TemporaryDirectory::readFile(folder.path() / "Test/City");
    // Zone data is loaded once per process: text of its own each run keeps a repeated run honest
    // (letters only: "garbage1" would be a rule).
    static int run = 0;
    const std::string junk = "garbage" + std::string(++run, 'z');
    const auto broken = bytes.substr(0, bytes.size() - ZoneData::footer(bytes).size() - 1) + junk + "\n";
    std::vector<std::string> messages;
    ZoneWarningLog::setLog([&messages](const std::string &message) { messages.push_back(message); });
    ::testing::internal::CaptureStderr();
    std::optional<TimeZone> zone;
    for (int time = 0; time < 3; ++time) {
        zone = TimeZone::fromZoneData(broken, "Test/City");
        EXPECT_NE(ZoneData::rules(broken), std::nullopt);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ZoneWarningLog::setLog(nullptr);
    ASSERT_NE(zone, std::nullopt);
    EXPECT_EQ(zone->offsetSeconds(july2040), zone->offsetSeconds(july2040 + 183 * 86400));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("Test/City ends in \"" + junk + "\""), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("Failed to parse '" + junk + "'"), std::string::npos) << messages[1];
}
