#include "formatting/StatusItemMetadataFormatter.h"
#include "formatting/StatusItemQuotaText.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace pulsegrove;

// The title follows the weekly window even with more left, else the five-hour one; the spoken value
// names the windows that exist and warns when stale. The remaining share is clamped without overflow.
TEST(StatusItemTextTests, TitleAndSpokenValueFollowTheWindowsThatExist)
{
    using Window = std::optional<RateLimitWindow>;
    const auto used = [](std::int64_t percent) {
        return Window(RateLimitWindow{percent, std::nullopt, std::nullopt});
    };
    struct Case {
        Window fiveHour, weekly;
        bool isStale;
        std::string title, spoken;
    };
    const std::vector<Case> cases = {
        {used(90), used(42), false, "58%", "5 小时剩余 10%，每周剩余 58%"},
        {used(30), used(60), true, "40%", "5 小时剩余 70%，每周剩余 40%，数据可能已过期"},
        {used(25), std::nullopt, true, "75%", "5 小时剩余 75%，数据可能已过期"},
        {std::nullopt, used(60), false, "40%", "每周剩余 40%"},
        {std::nullopt, std::nullopt, true, "PG", "额度不可用，数据可能已过期"},
        {used(130), used(-20), false, "100%", "5 小时剩余 0%，每周剩余 100%"},
        {std::nullopt, used(std::numeric_limits<std::int64_t>::min()), false, "100%", "每周剩余 100%"},
        {std::nullopt, used(std::numeric_limits<std::int64_t>::max()), false, "0%", "每周剩余 0%"},
    };
    for (const auto &[fiveHour, weekly, isStale, title, spoken] : cases) {
        EXPECT_EQ(StatusItemQuotaText::title(fiveHour, weekly), title) << spoken;
        EXPECT_EQ(StatusItemMetadataFormatter::accessibilityValue(fiveHour, weekly, isStale), spoken);
    }
    EXPECT_EQ(StatusItemQuotaText::preferredRemainingPercent(std::nullopt, std::nullopt), std::nullopt);
}
