#include "FormatterTestSupport.h"
#include "formatting/ExactDateTimeText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace pulsegrove;
using pulsegrove::testing::dateAt;
using pulsegrove::testing::unixSecondsAt;
using pulsegrove::testing::zoneNamed;

namespace {

std::optional<std::string> exactText(std::int64_t instant, Date now, const std::string &zone, bool weekday)
{
    return ExactDateTimeText::format(instant, now, zoneNamed(zone), weekday);
}

} // namespace

// The fields and the year rule follow the given zone, not the machine's.
TEST(ExactDateTimeTextTests, TheYearAppearsOnlyWhenItDiffersFromNowsYearInTheZone)
{
    const Date shanghaiEve = dateAt("Asia/Shanghai", 2026, 12, 31, 23, 0);
    const std::int64_t march5 = unixSecondsAt("UTC", 2026, 3, 5, 20, 30);
    const Date march1 = dateAt("UTC", 2026, 3, 1, 0, 0);
    // 20:00 UTC on New Year's Eve is already 2027 in Shanghai and still 2026 in Los Angeles.
    const Date utcEve = dateAt("UTC", 2026, 12, 31, 20, 0);
    const std::int64_t utcNewYear = unixSecondsAt("UTC", 2027, 1, 1, 2, 0);
    const std::vector<std::tuple<std::string, std::int64_t, Date, bool, std::string>> cases = {
        {"Asia/Shanghai", unixSecondsAt("Asia/Shanghai", 2026, 12, 31, 23, 50), shanghaiEve, true,
         "12月31日 周四 23:50"},
        {"Asia/Shanghai", unixSecondsAt("Asia/Shanghai", 2027, 1, 1, 0, 10), shanghaiEve, false,
         "2027年1月1日 00:10"},
        {"UTC", unixSecondsAt("UTC", 2026, 11, 29, 0, 0), utcEve.addingSeconds(14400), true,
         "2026年11月29日 周日 00:00"},
        {"UTC", march5, march1, true, "3月5日 周四 20:30"},
        {"America/Los_Angeles", march5, march1, false, "3月5日 12:30"},
        // The offset is the instant's, after the switch to daylight saving time on 8 March.
        {"America/Los_Angeles", march5 + 4 * 86400, march1, false, "3月9日 13:30"},
        {"Asia/Shanghai", utcNewYear, utcEve, false, "1月1日 10:00"},
        {"America/Los_Angeles", utcNewYear, utcEve, false, "12月31日 18:00"},
    };
    for (const auto &[zone, instant, now, weekday, expected] : cases)
        EXPECT_EQ(exactText(instant, now, zone, weekday), expected) << expected;
    // A "now" without a year counts as another year: the full date is never wrong.
    EXPECT_EQ(exactText(march5, Date::fromReferenceSeconds(NAN), "UTC", false), "2026年3月5日 20:30");
}
