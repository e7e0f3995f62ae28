#include "FormatterTestSupport.h"
#include "formatting/QuotaResetFormatter.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace pulsegrove;
using pulsegrove::testing::dateAt;
using pulsegrove::testing::unixSecondsAt;

namespace {

constexpr std::int64_t resetInstant = 1'772'000'000;

RateLimitWindow windowResettingAt(std::optional<std::int64_t> resetsAt, std::int64_t usedPercent = 42)
{
    return RateLimitWindow{usedPercent, 300, resetsAt};
}

// "now" the given number of seconds before the reset.
Date secondsBeforeReset(double seconds)
{
    return Date::fromUnixSeconds(double(resetInstant) - seconds);
}

const date::time_zone *shanghai()
{
    return date::locate_zone("Asia/Shanghai");
}

} // namespace

TEST(QuotaResetFormatterTests, CountdownWritesWholeMinutesAndKeepsZeroParts)
{
    const std::vector<std::pair<double, std::string>> cases = {
        {-10, "重置时间已到，等待额度状态更新"},
        {0, "重置时间已到，等待额度状态更新"},
        {0.5, "不到 1 分钟后重置"},
        {59.9, "不到 1 分钟后重置"},
        {60, "1分钟后重置"},
        {119, "1分钟后重置"},
        {45 * 60, "45分钟后重置"},
        {3599, "59分钟后重置"},
        {3600, "1小时 0分后重置"},
        {90 * 60, "1小时 30分后重置"},
        {2 * 3600, "2小时 0分后重置"},
        {86399, "23小时 59分后重置"},
        {86400, "1天 0小时后重置"},
        {2 * 86400 + 3 * 3600 + 10 * 60, "2天 3小时后重置"},
    };
    const RateLimitWindow window = windowResettingAt(resetInstant);
    for (const auto &[secondsLeft, expected] : cases)
        EXPECT_EQ(QuotaResetFormatter::countdown(window, secondsBeforeReset(secondsLeft)), expected)
            << secondsLeft;
    EXPECT_EQ(QuotaResetFormatter::countdown(windowResettingAt(std::nullopt), secondsBeforeReset(0)),
              "重置时间未知");
}

TEST(QuotaResetFormatterTests, HugeResetTimesNeitherOverflowNorGiveAnExactTime)
{
    const RateLimitWindow farFuture = windowResettingAt(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(QuotaResetFormatter::countdown(farFuture, Date::fromUnixSeconds(0)),
              "106751991167300天 15小时后重置");
    // Seen from an absurd past, the minutes exceed 64 bits and are held at the largest value.
    EXPECT_EQ(QuotaResetFormatter::countdown(farFuture, Date::fromReferenceSeconds(-1e300)),
              "6405119470038038天 18小时后重置");
    EXPECT_EQ(QuotaResetFormatter::exactDateTime(farFuture, Date::fromUnixSeconds(0), shanghai(), true),
              std::nullopt);
    EXPECT_EQ(QuotaResetFormatter::scheduleText(farFuture, Date::fromUnixSeconds(0), shanghai(), false),
              "106751991167300天 15小时后重置");

    const RateLimitWindow farPast = windowResettingAt(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(QuotaResetFormatter::scheduleText(farPast, Date::fromUnixSeconds(0), shanghai(), true),
              "重置时间已到，等待额度状态更新");
}

TEST(QuotaResetFormatterTests, ScheduleAddsTheExactTimeOnlyWhileTheResetLiesAhead)
{
    const RateLimitWindow window = windowResettingAt(unixSecondsAt("Asia/Shanghai", 2026, 3, 5, 14, 5));
    const Date ninetyMinutesBefore = dateAt("Asia/Shanghai", 2026, 3, 5, 12, 35);
    EXPECT_EQ(QuotaResetFormatter::scheduleText(window, ninetyMinutesBefore, shanghai(), false),
              "1小时 30分后重置 · 3月5日 14:05");
    EXPECT_EQ(QuotaResetFormatter::scheduleText(window, ninetyMinutesBefore, shanghai(), true),
              "1小时 30分后重置 · 3月5日 周四 14:05");
    EXPECT_EQ(QuotaResetFormatter::detailText(window, ninetyMinutesBefore, shanghai(), false),
              "已用 42% · 1小时 30分后重置 · 3月5日 14:05");

    const Date atReset = dateAt("Asia/Shanghai", 2026, 3, 5, 14, 5);
    EXPECT_EQ(QuotaResetFormatter::scheduleText(window, atReset, shanghai(), true),
              "重置时间已到，等待额度状态更新");
    EXPECT_EQ(QuotaResetFormatter::detailText(window, atReset.addingSeconds(60), shanghai(), false),
              "已用 42% · 重置时间已到，等待额度状态更新");
    EXPECT_EQ(QuotaResetFormatter::scheduleText(windowResettingAt(std::nullopt), atReset, shanghai(), true),
              "重置时间未知");
}

TEST(QuotaResetFormatterTests, DetailWritesTheUsedPercentAsReported)
{
    const RateLimitWindow window = windowResettingAt(std::nullopt, -7);
    EXPECT_EQ(QuotaResetFormatter::detailText(window, Date::fromUnixSeconds(0), shanghai(), false),
              "已用 -7% · 重置时间未知");
}
