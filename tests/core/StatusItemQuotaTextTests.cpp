#include "formatting/StatusItemQuotaText.h"

#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <vector>

using namespace pulsegrove;

// The weekly window wins even with more left; the remaining share is clamped without overflow.
TEST(StatusItemQuotaTextTests, TitleFollowsTheWeeklyWindowElseTheFiveHourOne)
{
    using Window = std::optional<RateLimitWindow>;
    const auto used = [](std::int64_t percent) {
        return Window(RateLimitWindow{percent, std::nullopt, std::nullopt});
    };
    constexpr auto smallest = std::numeric_limits<std::int64_t>::min();
    const std::vector<std::tuple<Window, Window, std::string>> cases = {
        {used(90), used(42), "58%"},
        {used(10), std::nullopt, "90%"},
        {std::nullopt, std::nullopt, "PG"},
        {std::nullopt, used(150), "0%"},
        {std::nullopt, used(-5), "100%"},
        {std::nullopt, used(smallest), "100%"},
        {std::nullopt, used(std::numeric_limits<std::int64_t>::max()), "0%"},
    };
    for (const auto &[fiveHour, weekly, expected] : cases)
        EXPECT_EQ(StatusItemQuotaText::title(fiveHour, weekly), expected) << expected;
    EXPECT_EQ(StatusItemQuotaText::preferredRemainingPercent(std::nullopt, std::nullopt), std::nullopt);
}
