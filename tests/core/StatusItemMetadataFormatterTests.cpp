#include "formatting/StatusItemMetadataFormatter.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using namespace pulsegrove;

// Each combination of windows and staleness, with the clamp of the remaining share at both ends.
TEST(StatusItemMetadataFormatterTests, SpeaksTheWindowsThatExistAndWarnsWhenStale)
{
    using Window = std::optional<RateLimitWindow>;
    const auto used = [](std::int64_t percent) {
        return Window(RateLimitWindow{percent, std::nullopt, std::nullopt});
    };
    const std::vector<std::tuple<Window, Window, bool, std::string>> cases = {
        {used(30), used(60), false, "5 小时剩余 70%，每周剩余 40%"},
        {used(30), used(60), true, "5 小时剩余 70%，每周剩余 40%，数据可能已过期"},
        {used(25), std::nullopt, true, "5 小时剩余 75%，数据可能已过期"},
        {std::nullopt, used(60), false, "每周剩余 40%"},
        {std::nullopt, std::nullopt, false, "额度不可用"},
        {std::nullopt, std::nullopt, true, "额度不可用，数据可能已过期"},
        {used(130), used(-20), false, "5 小时剩余 0%，每周剩余 100%"},
    };
    for (const auto &[fiveHour, weekly, isStale, expected] : cases)
        EXPECT_EQ(StatusItemMetadataFormatter::accessibilityValue(fiveHour, weekly, isStale), expected);
}
