#include "insights/QuotaResetHint.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace pulsegrove;

namespace {

const Date now = Date::fromUnixSeconds(1'800'000'000);

// A window that resets `secondsFromNow` after `now`, or never when nothing is given.
std::optional<RateLimitWindow> window(std::int64_t minutes, std::optional<std::int64_t> secondsFromNow)
{
    std::optional<std::int64_t> resetsAt;
    if (secondsFromNow)
        resetsAt = static_cast<std::int64_t>(now.unixSeconds()) + *secondsFromNow;
    return RateLimitWindow{40, minutes, resetsAt};
}

struct Resets {
    std::optional<std::int64_t> fiveHour, weekly, sparkFiveHour, sparkWeekly;
};

QuotaSnapshot at(const Resets &resets, bool withSpark = true)
{
    std::optional<RateLimitSnapshot> spark;
    if (withSpark)
        spark = RateLimitSnapshot{"codex_spark", "GPT-5.3-Codex-Spark", window(300, resets.sparkFiveHour),
                                  window(10080, resets.sparkWeekly), std::nullopt};
    return QuotaSnapshot(window(300, resets.fiveHour), window(10080, resets.weekly), spark, "pro",
                         std::nullopt, now);
}

} // namespace

// Each title rule, the imminent flag at its 3600-second edge, the earliest of the four windows
// winning (Spark ones included), and staleness keeping the imminent suffix.
TEST(QuotaResetHintTests, TitleAndImminenceFollowTheEarliestResetOfAllFourWindows)
{
    struct Case {
        const char *name;
        std::optional<QuotaSnapshot> snapshot;
        bool isStale;
        QuotaResetHint expected;
    };
    constexpr auto none = std::nullopt;
    const std::vector<Case> cases = {
        {"no snapshot", std::nullopt, false,
         {"等待账户重置时间", "Codex 暂未返回任何额度窗口的重置时间", false}},
        {"windows without reset times", at({none, none, none, none}), false,
         {"等待账户重置时间", "Codex 暂未返回任何额度窗口的重置时间", false}},
        {"five hours, two hours ahead", at({7200, 86400, none, none}), false,
         {"下次重置：5 小时额度", "5 小时额度 · 2小时 0分后重置", false}},
        {"weekly earlier than five hours", at({7200, 5400, none, none}), false,
         {"下次重置：每周额度", "每周额度 · 1小时 30分后重置", false}},
        {"exactly one hour ahead", at({3600, none, none, none}), false,
         {"下次重置：5 小时额度 · 1 小时内重置", "5 小时额度 · 1小时 0分后重置", true}},
        {"one second beyond the hour", at({3601, none, none, none}), false,
         {"下次重置：5 小时额度", "5 小时额度 · 1小时 0分后重置", false}},
        {"spark five hours earliest", at({7200, 9000, 1800, none}), false,
         {"下次重置：Spark 5 小时额度 · 1 小时内重置", "Spark 5 小时额度 · 30分钟后重置", true}},
        {"spark weekly earliest", at({none, none, 7200, 30}), false,
         {"下次重置：Spark 每周额度 · 1 小时内重置", "Spark 每周额度 · 不到 1 分钟后重置", true}},
        {"equal times name the first window", at({600, none, 600, none}), false,
         {"下次重置：5 小时额度 · 1 小时内重置", "5 小时额度 · 10分钟后重置", true}},
        {"stale, imminent", at({1200, none, none, none}), true,
         {"重置计划待确认 · 1 小时内重置", "缓存数据 · 5 小时额度 · 20分钟后重置", true}},
        {"stale, far", at({none, 3 * 86400, none, none}), true,
         {"重置计划待确认", "缓存数据 · 每周额度 · 3天 0小时后重置", false}},
        {"reset exactly now has passed", at({0, 7200, none, none}), false,
         {"重置时间已到，等待确认", "5 小时额度 · 重置时间已到，等待额度状态更新", false}},
        {"a passed reset wins over a later one, also when stale", at({-60, 1800, none, none}), true,
         {"重置时间已到，等待确认", "5 小时额度 · 重置时间已到，等待额度状态更新", false}},
        {"without spark data", at({none, 1800, 60, 60}, false), false,
         {"下次重置：每周额度 · 1 小时内重置", "每周额度 · 30分钟后重置", true}},
    };
    for (const auto &[name, snapshot, isStale, expected] : cases) {
        const auto hint = QuotaResetHint::next(snapshot, isStale, now);
        EXPECT_EQ(hint.title, expected.title) << name;
        EXPECT_EQ(hint.detail, expected.detail) << name;
        EXPECT_EQ(hint.isImminent, expected.isImminent) << name;
    }
}

// Reset times at the ends of the integer range, years away or long past, still give a hint.
TEST(QuotaResetHintTests, ExtremeResetTimesNeitherOverflowNorCountAsImminent)
{
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    constexpr auto smallest = std::numeric_limits<std::int64_t>::min();
    const auto resettingAt = [](std::int64_t unixSeconds) {
        return QuotaSnapshot(RateLimitWindow{130, 300, unixSeconds}, std::nullopt, std::nullopt, std::nullopt,
                             std::nullopt, now);
    };
    const auto far = QuotaResetHint::next(resettingAt(largest), false, now);
    EXPECT_EQ(far.title, "下次重置：5 小时额度");
    EXPECT_FALSE(far.isImminent);
    const auto tenYears =
        QuotaResetHint::next(resettingAt(static_cast<std::int64_t>(now.unixSeconds()) + 315'360'000), false, now);
    EXPECT_EQ(tenYears.detail, "5 小时额度 · 3650天 0小时后重置");
    for (const std::int64_t past : {smallest, std::int64_t{0}}) {
        const auto passed = QuotaResetHint::next(resettingAt(past), false, now);
        EXPECT_EQ(passed.title, "重置时间已到，等待确认") << past;
        EXPECT_FALSE(passed.isImminent) << past;
    }
}
