#include "FormatterTestSupport.h"
#include "formatting/ResetCreditExpiryFormatter.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace pulsegrove;
using pulsegrove::testing::dateAt;
using pulsegrove::testing::unixSecondsAt;

namespace {

constexpr std::int64_t expiryInstant = 1'772'000'000;

RateLimitResetCredit creditExpiringAt(std::optional<std::int64_t> expiresAt)
{
    return RateLimitResetCredit{"available", expiresAt};
}

} // namespace

TEST(ResetCreditExpiryFormatterTests, RelativeTextLeavesOutZeroRemainders)
{
    const std::vector<std::pair<double, std::string>> cases = {
        {-1, "已到期，等待状态更新"}, {0, "已到期，等待状态更新"},    {59.9, "不到 1 分钟后到期"},
        {60, "1分钟后到期"},          {45 * 60 + 59, "45分钟后到期"}, {3600, "1小时后到期"},
        {3660, "1小时 1分后到期"},    {90 * 60, "1小时 30分后到期"},  {2 * 3600, "2小时后到期"},
        {86400, "1天后到期"},         {90000, "1天 1小时后到期"},     {3 * 86400 + 59 * 60, "3天后到期"},
    };
    const RateLimitResetCredit credit = creditExpiringAt(expiryInstant);
    for (const auto &[secondsLeft, expected] : cases) {
        const Date now = Date::fromUnixSeconds(double(expiryInstant) - secondsLeft);
        EXPECT_EQ(ResetCreditExpiryFormatter::relativeText(credit, now), expected) << secondsLeft;
    }
    EXPECT_EQ(ResetCreditExpiryFormatter::relativeText(creditExpiringAt(std::nullopt), Date()),
              "到期时间未知");
    EXPECT_EQ(
        ResetCreditExpiryFormatter::relativeText(creditExpiringAt(std::numeric_limits<std::int64_t>::max()),
                                                 Date::fromReferenceSeconds(-1e300)),
        "6405119470038038天 18小时后到期");
}

TEST(ResetCreditExpiryFormatterTests, DetailShowsTheExactTimeAlsoOnceExpired)
{
    const auto *losAngeles = date::locate_zone("America/Los_Angeles");
    const RateLimitResetCredit credit =
        creditExpiringAt(unixSecondsAt("America/Los_Angeles", 2026, 3, 5, 14, 5));
    EXPECT_EQ(ResetCreditExpiryFormatter::detailText(credit, dateAt("America/Los_Angeles", 2026, 3, 5, 16, 0),
                                                     losAngeles, false),
              "已到期，等待状态更新 · 3月5日 14:05");
    EXPECT_EQ(ResetCreditExpiryFormatter::detailText(credit, dateAt("America/Los_Angeles", 2026, 3, 5, 12, 5),
                                                     losAngeles, true),
              "2小时后到期 · 3月5日 周四 14:05");
    EXPECT_EQ(
        ResetCreditExpiryFormatter::detailText(creditExpiringAt(std::nullopt), Date(), losAngeles, true),
        "到期时间未知");
    EXPECT_EQ(ResetCreditExpiryFormatter::detailText(
                  creditExpiringAt(std::numeric_limits<std::int64_t>::min()), Date(), losAngeles, true),
              "已到期，等待状态更新");
}
