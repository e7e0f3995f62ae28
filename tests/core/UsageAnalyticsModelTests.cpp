#include "analytics/CodexUsageAnalyticsConfiguration.h"
#include "analytics/UsageDashboardReport.h"
#include "analytics/UsageQuotaSnapshot.h"
#include "formatting/InternetDateTimeText.h"
#include "quota/DecodingError.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <tuple>
#include <vector>

using namespace pulsegrove;

namespace {

UsageQuotaSnapshot sampleRow()
{
    return {"spark-weekly", "GPT-5.3-Codex-Spark", UsageQuotaKind::spark, UsageQuotaWindow::weekly, 40, 60,
            "2026-03-01T08:00:00Z", "2026-03-08T00:00:00Z", true};
}

} // namespace

TEST(UsageAnalyticsConfigurationTests, LiveConfigurationFollowsTheEnvironment)
{
    struct Case {
        Environment environment;
        std::string codexHome;
        std::string cacheDirectory;
        std::string timeZone;
    };
    const std::vector<Case> cases = {
        {Environment({{"HOME", "/home/ada"},
                      {"CODEX_HOME", "/srv/codex"},
                      {"XDG_CACHE_HOME", "/var/c"},
                      {"TZ", "Europe/Berlin"}}),
         "/srv/codex", "/var/c/io.velorn.Pulsegrove/UsageAnalytics", "Europe/Berlin"},
        // An empty CODEX_HOME names no folder, so the home folder's ".codex" is used.
        {Environment({{"HOME", "/home/ada"}, {"CODEX_HOME", ""}, {"TZ", "UTC"}}), "/home/ada/.codex",
         "/home/ada/.cache/io.velorn.Pulsegrove/UsageAnalytics", "Etc/UTC"},
    };
    for (const auto &testCase : cases) {
        const auto configuration = CodexUsageAnalyticsConfiguration::live(testCase.environment);
        EXPECT_EQ(configuration.codexHome, std::filesystem::path(testCase.codexHome));
        EXPECT_EQ(configuration.cacheDirectory, std::filesystem::path(testCase.cacheDirectory));
        EXPECT_EQ(configuration.timeZoneIdentifier, testCase.timeZone);
    }
}

TEST(UsageQuotaSnapshotTests, DecodingRefusesRowsThatAreNotWhole)
{
    const auto valid = sampleRow().toJSON();
    const std::vector<std::pair<std::string, nlohmann::json>> changes = {
        {"id", nullptr},
        {"label", 5},
        {"kind", "turbo"},
        {"window", "monthly"},
        {"remainingPercent", "40"},
        {"usedPercent", nullptr},
        {"capturedAt", false},
        {"resetAt", 7},
        {"isStale", "yes"},
    };
    for (const auto &[key, value] : changes) {
        auto broken = valid;
        broken[key] = value;
        EXPECT_THROW(UsageQuotaSnapshot::fromJSON(broken), DecodingError) << key;
        broken.erase(key);
        if (key != "resetAt") {
            EXPECT_THROW(UsageQuotaSnapshot::fromJSON(broken), DecodingError) << key << " absent";
        }
    }
    // A null or absent reset is no reset; the rows round-trip inside a report, which a bad row spoils.
    auto withoutReset = sampleRow();
    withoutReset.resetAt.reset();
    auto nullReset = valid;
    nullReset["resetAt"] = nullptr;
    EXPECT_EQ(UsageQuotaSnapshot::fromJSON(nullReset), withoutReset);
    EXPECT_FALSE(withoutReset.toJSON().contains("resetAt"));
    const UsageDashboardReport report{{sampleRow(), withoutReset}};
    EXPECT_EQ(UsageDashboardReport::fromJSON(nlohmann::json::parse(report.toJSON().dump())), report);
    auto broken = report.toJSON();
    broken["quotaSnapshots"][1].erase("id");
    for (const auto &value : {broken, nlohmann::json::object(), nlohmann::json::array()})
        EXPECT_THROW(UsageDashboardReport::fromJSON(value), DecodingError) << value.dump();
}

TEST(InternetDateTimeTextTests, FormatsWholeSecondsInUtcAndParsesOnlyThatForm)
{
    const std::vector<std::tuple<double, std::optional<std::string>>> dates = {
        {1772352000.999, "2026-03-01T08:00:00Z"},
        {-0.5, "1969-12-31T23:59:59Z"},
        {253402300799.0, "9999-12-31T23:59:59Z"},
        {253402300800.0, std::nullopt},
        {-62135596801.0, std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
        {std::numeric_limits<double>::infinity(), std::nullopt},
    };
    for (const auto &[unixSeconds, expected] : dates) {
        EXPECT_EQ(InternetDateTimeText::format(Date::fromUnixSeconds(unixSeconds)), expected) << unixSeconds;
        if (expected) {
            EXPECT_EQ(InternetDateTimeText::parseUnixSeconds(*expected),
                      std::int64_t(std::floor(unixSeconds)));
        }
    }
    for (const auto extreme : {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()})
        EXPECT_EQ(InternetDateTimeText::formatUnixSeconds(extreme), std::nullopt);
    for (const char *text : {"2026-02-30T08:00:00Z", "2026-03-01T24:00:00Z", "2026-03-01 08:00:00Z",
                             "2026-03-01T08:00:00", "2026-03-01T08:00:00.5Z", "0000-01-01T00:00:00Z", ""})
        EXPECT_EQ(InternetDateTimeText::parseUnixSeconds(text), std::nullopt) << text;
}
