#include "FormatterTestSupport.h"
#include "formatting/ExactDateTimeText.h"
#include "formatting/SystemTimeZone.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace pulsegrove;
using pulsegrove::testing::dateAt;
using pulsegrove::testing::unixSecondsAt;

namespace {

std::optional<std::string> exactText(std::int64_t instant, Date now, const std::string &zone, bool weekday)
{
    return ExactDateTimeText::format(instant, now, date::locate_zone(zone), weekday);
}

} // namespace

TEST(ExactDateTimeTextTests, TheYearAppearsOnlyWhenItDiffersFromNowsYearInTheZone)
{
    struct Case {
        std::string zone;
        std::int64_t instant;
        Date now;
        bool weekday;
        std::string expected;
    };
    const Date lastEvening = dateAt("Asia/Shanghai", 2026, 12, 31, 23, 0);
    const std::vector<Case> cases = {
        {"Asia/Shanghai", unixSecondsAt("Asia/Shanghai", 2026, 3, 5, 14, 5),
         dateAt("Asia/Shanghai", 2026, 3, 1, 9, 0), false, "3月5日 14:05"},
        {"Asia/Shanghai", unixSecondsAt("Asia/Shanghai", 2026, 3, 5, 14, 5),
         dateAt("Asia/Shanghai", 2026, 3, 1, 9, 0), true, "3月5日 周四 14:05"},
        {"Asia/Shanghai", unixSecondsAt("Asia/Shanghai", 2026, 12, 31, 23, 50), lastEvening, true,
         "12月31日 周四 23:50"},
        {"Asia/Shanghai", unixSecondsAt("Asia/Shanghai", 2027, 1, 1, 0, 10), lastEvening, false,
         "2027年1月1日 00:10"},
        {"UTC", unixSecondsAt("UTC", 2027, 1, 2, 9, 0), dateAt("UTC", 2026, 6, 1, 0, 0), true,
         "2027年1月2日 周六 09:00"},
        {"UTC", unixSecondsAt("UTC", 2026, 11, 29, 0, 0), dateAt("UTC", 2027, 1, 1, 0, 0), true,
         "2026年11月29日 周日 00:00"},
    };
    for (const Case &testCase : cases)
        EXPECT_EQ(exactText(testCase.instant, testCase.now, testCase.zone, testCase.weekday),
                  testCase.expected)
            << testCase.expected;
}

TEST(ExactDateTimeTextTests, CalendarFieldsFollowTheGivenZoneNotTheMachines)
{
    const std::int64_t instant = unixSecondsAt("UTC", 2026, 3, 5, 20, 30);
    const Date now = dateAt("UTC", 2026, 3, 1, 0, 0);
    EXPECT_EQ(exactText(instant, now, "UTC", true), "3月5日 周四 20:30");
    EXPECT_EQ(exactText(instant, now, "Asia/Shanghai", true), "3月6日 周五 04:30");
    EXPECT_EQ(exactText(instant, now, "America/Los_Angeles", true), "3月5日 周四 12:30");
    // After the switch to daylight saving time on 8 March.
    EXPECT_EQ(exactText(unixSecondsAt("UTC", 2026, 3, 9, 20, 30), now, "America/Los_Angeles", false),
              "3月9日 13:30");

    // New Year's Eve in UTC is already 2027 in Shanghai, so the year there matches "now".
    const Date newYearsEve = dateAt("UTC", 2026, 12, 31, 20, 0);
    const std::int64_t nextMorning = unixSecondsAt("UTC", 2027, 1, 1, 2, 0);
    EXPECT_EQ(exactText(nextMorning, newYearsEve, "Asia/Shanghai", false), "1月1日 10:00");
    EXPECT_EQ(exactText(nextMorning, newYearsEve, "UTC", false), "2027年1月1日 02:00");
    EXPECT_EQ(exactText(nextMorning, newYearsEve, "America/Los_Angeles", false), "12月31日 18:00");
}

TEST(ExactDateTimeTextTests, InstantsOutsideTheCalendarGiveNoText)
{
    const Date now = dateAt("UTC", 2026, 3, 1, 0, 0);
    EXPECT_EQ(exactText(std::numeric_limits<std::int64_t>::max(), now, "Asia/Shanghai", true), std::nullopt);
    EXPECT_EQ(exactText(std::numeric_limits<std::int64_t>::min(), now, "Asia/Shanghai", true), std::nullopt);
    EXPECT_EQ(exactText(int64_t(1e15), now, "UTC", true), std::nullopt);
    EXPECT_EQ(ExactDateTimeText::format(std::nullopt, now, date::locate_zone("UTC"), true), std::nullopt);
    EXPECT_EQ(ExactDateTimeText::format(0, now, nullptr, true), std::nullopt);

    // An absurd "now" has no year, so the instant's year is always written.
    EXPECT_EQ(
        exactText(unixSecondsAt("UTC", 2026, 3, 5, 0, 0), Date::fromReferenceSeconds(1e300), "UTC", false),
        "2026年3月5日 00:00");
    EXPECT_EQ(
        exactText(unixSecondsAt("UTC", 2026, 3, 5, 0, 0), Date::fromReferenceSeconds(NAN), "UTC", false),
        "2026年3月5日 00:00");
}

TEST(SystemTimeZoneTests, TZNamesTheZoneWhenItIsKnown)
{
    const auto zoneFor = [](std::optional<std::string> tz) {
        Environment environment;
        if (tz)
            environment.set("TZ", *tz);
        const auto *zone = SystemTimeZone::current(environment);
        return zone ? zone->name() : std::string();
    };
    EXPECT_EQ(zoneFor("Asia/Shanghai"), "Asia/Shanghai");
    EXPECT_EQ(zoneFor(":America/Los_Angeles"), "America/Los_Angeles");
    EXPECT_EQ(zoneFor(":/usr/share/zoneinfo/Asia/Shanghai"), "Asia/Shanghai");
    // Unknown names fall back to the system's zone, never to nothing.
    EXPECT_EQ(zoneFor("Nowhere/Else"), zoneFor(std::nullopt));
    EXPECT_FALSE(zoneFor(std::nullopt).empty());
}
