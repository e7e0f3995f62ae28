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
    return {"spark-weekly",
            "GPT-5.3-Codex-Spark",
            UsageQuotaKind::spark,
            UsageQuotaWindow::weekly,
            40,
            60,
            "2026-03-01T08:00:00Z",
            "2026-03-08T00:00:00Z",
            true};
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
        {Environment({{"HOME", "/home/ada"}, {"TZ", "Asia/Shanghai"}}), "/home/ada/.codex",
         "/home/ada/.cache/io.velorn.Pulsegrove/UsageAnalytics", "Asia/Shanghai"},
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

TEST(UsageAnalyticsConfigurationTests, WithoutHomeVariableTheAccountsHomeIsUsedAndNothingIsTouched)
{
    const auto configuration = CodexUsageAnalyticsConfiguration::live(
        Environment(std::map<std::string, std::string>{{"TZ", "UTC"}}));
    EXPECT_EQ(configuration.codexHome.filename(), ".codex");
    EXPECT_TRUE(configuration.codexHome.is_absolute());
    EXPECT_FALSE(configuration.timeZoneIdentifier.empty());
}

TEST(UsageQuotaSnapshotTests, EncodesEveryFieldUnderItsNameAndLeavesOutAnAbsentReset)
{
    const auto row = sampleRow();
    EXPECT_EQ(row.toJSON(), nlohmann::json::parse(R"({"id":"spark-weekly","label":"GPT-5.3-Codex-Spark",
        "kind":"spark","window":"weekly","remainingPercent":40.0,"usedPercent":60.0,
        "capturedAt":"2026-03-01T08:00:00Z","resetAt":"2026-03-08T00:00:00Z","isStale":true})"));
    auto withoutReset = row;
    withoutReset.resetAt.reset();
    withoutReset.kind = UsageQuotaKind::regular;
    withoutReset.window = UsageQuotaWindow::fiveHour;
    const auto encoded = withoutReset.toJSON();
    EXPECT_FALSE(encoded.contains("resetAt"));
    EXPECT_EQ(encoded["kind"], "regular");
    EXPECT_EQ(encoded["window"], "fiveHour");
    for (const auto &value : {row, withoutReset})
        EXPECT_EQ(UsageQuotaSnapshot::fromJSON(nlohmann::json::parse(value.toJSON().dump())), value);
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
    auto nullReset = valid;
    nullReset["resetAt"] = nullptr;
    EXPECT_FALSE(UsageQuotaSnapshot::fromJSON(nullReset).resetAt.has_value());
    EXPECT_THROW(UsageQuotaSnapshot::fromJSON(nlohmann::json::array()), DecodingError);
}

TEST(UsageDashboardReportTests, RoundTripsItsRowsAndRefusesAReportWithABadRow)
{
    const UsageDashboardReport report{{sampleRow(), sampleRow()}};
    EXPECT_EQ(UsageDashboardReport::fromJSON(report.toJSON()), report);
    EXPECT_EQ(UsageDashboardReport{}.toJSON().dump(), R"({"quotaSnapshots":[]})");
    auto broken = report.toJSON();
    broken["quotaSnapshots"][1].erase("id");
    for (const auto &value :
         {broken, nlohmann::json::parse(R"({"quotaSnapshots":{}})"), nlohmann::json::object()})
        EXPECT_THROW(UsageDashboardReport::fromJSON(value), DecodingError) << value.dump();
}

TEST(InternetDateTimeTextTests, FormatsWholeSecondsInUtcAndParsesOnlyThatForm)
{
    const std::vector<std::tuple<double, std::optional<std::string>>> dates = {
        {1772352000.0, "2026-03-01T08:00:00Z"},
        {1772352000.999, "2026-03-01T08:00:00Z"},
        {0.0, "1970-01-01T00:00:00Z"},
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
    EXPECT_EQ(InternetDateTimeText::formatUnixSeconds(std::numeric_limits<std::int64_t>::max()),
              std::nullopt);
    EXPECT_EQ(InternetDateTimeText::formatUnixSeconds(std::numeric_limits<std::int64_t>::min()),
              std::nullopt);
    for (const char *text : {"2026-02-30T08:00:00Z", "2026-03-01T24:00:00Z", "2026-03-01T08:60:00Z",
                             "2026-03-01 08:00:00Z", "2026-03-01T08:00:00", "2026-03-01T08:00:00.5Z",
                             "0000-01-01T00:00:00Z", "2026-13-01T08:00:00Z", "2026-03-0aT08:00:00Z", ""})
        EXPECT_EQ(InternetDateTimeText::parseUnixSeconds(text), std::nullopt) << text;
}
