#include "formatting/StatusItemQuotaText.h"

#include <gtest/gtest.h>
#include <limits>

using namespace pulsegrove;

namespace {
RateLimitWindow used(std::int64_t percent)
{
    return RateLimitWindow{percent, std::nullopt, std::nullopt};
}
} // namespace

TEST(StatusItemQuotaTextTests, WeeklyWindowWinsAndBothAbsentGiveTheFallback)
{
    EXPECT_EQ(StatusItemQuotaText::title(used(90), used(42)), "58%");
    EXPECT_EQ(StatusItemQuotaText::title(used(10), std::nullopt), "90%");
    EXPECT_EQ(StatusItemQuotaText::title(std::nullopt, std::nullopt), "PG");
    EXPECT_EQ(StatusItemQuotaText::preferredRemainingPercent(std::nullopt, std::nullopt), std::nullopt);
    EXPECT_STREQ(StatusItemQuotaText::fallbackTitle, "PG");
}

TEST(StatusItemQuotaTextTests, RemainingPercentIsClampedForEveryUsedPercent)
{
    constexpr auto smallest = std::numeric_limits<std::int64_t>::min();
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(StatusItemQuotaText::title(std::nullopt, used(150)), "0%");
    EXPECT_EQ(StatusItemQuotaText::title(std::nullopt, used(-5)), "100%");
    EXPECT_EQ(StatusItemQuotaText::title(std::nullopt, used(smallest)), "100%");
    EXPECT_EQ(StatusItemQuotaText::title(std::nullopt, used(largest)), "0%");
    EXPECT_EQ(StatusItemQuotaText::preferredRemainingPercent(used(smallest + 1), std::nullopt), 100);
}
