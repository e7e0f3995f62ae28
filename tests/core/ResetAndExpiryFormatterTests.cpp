#include "FormatterTestSupport.h"
#include "formatting/QuotaResetFormatter.h"
#include "formatting/ResetCreditExpiryFormatter.h"

#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <vector>

using namespace pulsegrove;
using pulsegrove::testing::dateAt;
using pulsegrove::testing::unixSecondsAt;

namespace {

constexpr std::int64_t instant = 1'772'000'000;

RateLimitWindow windowResettingAt(std::optional<std::int64_t> resetsAt, std::int64_t usedPercent = 42)
{
    return RateLimitWindow{usedPercent, 300, resetsAt};
}

} // namespace

// Both count whole minutes; only the reset countdown writes a zero remainder.
TEST(ResetAndExpiryFormatterTests, CountdownAndExpiryTextsDifferOnlyInZeroRemainders)
{
    const std::vector<std::tuple<double, std::string, std::string>> cases = {
        {0, "重置时间已到，等待额度状态更新", "已到期，等待状态更新"},
        {59.9, "不到 1 分钟后重置", "不到 1 分钟后到期"},
        {60, "1分钟后重置", "1分钟后到期"},
        {3600, "1小时 0分后重置", "1小时后到期"},
        {90 * 60, "1小时 30分后重置", "1小时 30分后到期"},
        {86399, "23小时 59分后重置", "23小时 59分后到期"},
        {86400, "1天 0小时后重置", "1天后到期"},
        {90000, "1天 1小时后重置", "1天 1小时后到期"},
        {2 * 86400 + 3 * 3600 + 10 * 60, "2天 3小时后重置", "2天 3小时后到期"},
    };
    for (const auto &[secondsLeft, reset, expiry] : cases) {
        const Date now = Date::fromUnixSeconds(double(instant) - secondsLeft);
        EXPECT_EQ(QuotaResetFormatter::countdown(windowResettingAt(instant), now), reset) << secondsLeft;
        EXPECT_EQ(ResetCreditExpiryFormatter::relativeText({"available", instant}, now), expiry)
            << secondsLeft;
    }
    // Seen from an absurd past, the minutes exceed 64 bits and are held at the largest value.
    EXPECT_EQ(QuotaResetFormatter::countdown(windowResettingAt(std::numeric_limits<std::int64_t>::max()),
                                             Date::fromReferenceSeconds(-1e300)),
              "6405119470038038天 18小时后重置");
}

// The exact time follows a reset only while it lies ahead, an expiry also once it has passed; an
// instant outside the calendar has no exact time.
TEST(ResetAndExpiryFormatterTests, ScheduleAndDetailTexts)
{
    const auto shanghai = pulsegrove::testing::zoneNamed("Asia/Shanghai");
    const std::int64_t march5 = unixSecondsAt("Asia/Shanghai", 2026, 3, 5, 14, 5);
    const Date before = dateAt("Asia/Shanghai", 2026, 3, 5, 12, 35);
    const Date atReset = Date::fromUnixSeconds(double(march5));
    const auto schedule = [&](std::optional<std::int64_t> resetsAt, Date now, std::int64_t used = 42) {
        return QuotaResetFormatter::detailText(windowResettingAt(resetsAt, used), now, shanghai, true);
    };
    const auto expiry = [&](std::optional<std::int64_t> expiresAt, Date now) {
        return ResetCreditExpiryFormatter::detailText({"available", expiresAt}, now, shanghai, true);
    };
    EXPECT_EQ(schedule(march5, before), "已用 42% · 1小时 30分后重置 · 3月5日 周四 14:05");
    EXPECT_EQ(QuotaResetFormatter::scheduleText(windowResettingAt(march5), before, shanghai, false),
              "1小时 30分后重置 · 3月5日 14:05");
    EXPECT_EQ(schedule(march5, atReset), "已用 42% · 重置时间已到，等待额度状态更新");
    EXPECT_EQ(schedule(std::nullopt, atReset, -7), "已用 -7% · 重置时间未知");
    EXPECT_EQ(schedule(std::numeric_limits<std::int64_t>::max(), Date::fromUnixSeconds(0)),
              "已用 42% · 106751991167300天 15小时后重置");
    EXPECT_EQ(expiry(march5, atReset.addingSeconds(3600)), "已到期，等待状态更新 · 3月5日 周四 14:05");
    EXPECT_EQ(expiry(march5, atReset.addingSeconds(-7200)), "2小时后到期 · 3月5日 周四 14:05");
    EXPECT_EQ(expiry(std::nullopt, atReset), "到期时间未知");
    EXPECT_EQ(expiry(std::numeric_limits<std::int64_t>::min(), atReset), "已到期，等待状态更新");
}
