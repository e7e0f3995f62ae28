#include "analytics/QuotaSnapshotDashboardRows.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace pulsegrove;

namespace {

// 2026-03-01T08:00:00Z plus a fraction the rows must drop.
const Date fetchedAt = Date::fromUnixSeconds(1772352000.75);
constexpr const char *capturedAt = "2026-03-01T08:00:00Z";

RateLimitWindow window(std::int64_t used, std::optional<std::int64_t> minutes,
                       std::optional<std::int64_t> resetsAt)
{
    return {used, minutes, resetsAt};
}

struct ExpectedRow {
    std::string id;
    std::string label;
    UsageQuotaKind kind;
    UsageQuotaWindow window;
    double remaining;
    double used;
    std::optional<std::string> resetAt;
};

std::vector<UsageQuotaSnapshot> expectedRows(const std::vector<ExpectedRow> &rows, bool isStale)
{
    std::vector<UsageQuotaSnapshot> result;
    for (const auto &row : rows)
        result.push_back({row.id, row.label, row.kind, row.window, row.remaining, row.used, capturedAt,
                          row.resetAt, isStale});
    return result;
}

} // namespace

TEST(QuotaSnapshotDashboardRowsTests, RowsFollowTheWindowsPresentInOrderWithClampedPercentages)
{
    const auto fiveHour = window(25, 300, 1772366400); // 12:00:00Z
    const auto weekly = window(130, 10080, std::nullopt);
    const RateLimitSnapshot spark{"spark", "Spark Pro", window(-5, 300, 1772352001),
                                  window(60, 10080, 1772956800), std::nullopt};
    RateLimitSnapshot unnamedSpark = spark;
    unnamedSpark.limitName.reset();
    RateLimitSnapshot emptyNameSpark = spark;
    emptyNameSpark.limitName = "";
    // Windows of other lengths are never chosen, so this Spark limit has no row at all.
    const RateLimitSnapshot unrecognisedSpark{"spark", "Spark", window(10, 60, std::nullopt),
                                              window(10, 1440, std::nullopt), std::nullopt};
    // Extreme reported values neither overflow nor invent a reset time.
    const auto extreme =
        window(std::numeric_limits<std::int64_t>::min(), 300, std::numeric_limits<std::int64_t>::max());
    const auto overused =
        window(std::numeric_limits<std::int64_t>::max(), 10080, -62135596801); // before year 1

    struct Case {
        const char *name;
        QuotaSnapshot snapshot;
        bool isStale;
        std::vector<ExpectedRow> rows;
    };
    const ExpectedRow regularFiveHour{
        "regular-five-hour",   "Codex 常规额度", UsageQuotaKind::regular, UsageQuotaWindow::fiveHour, 75, 25,
        "2026-03-01T12:00:00Z"};
    const ExpectedRow regularWeekly{
        "regular-weekly", "Codex 常规额度", UsageQuotaKind::regular, UsageQuotaWindow::weekly, 0, 100,
        std::nullopt};
    auto sparkRows = [](const std::string &label) {
        return std::vector<ExpectedRow>{
            {"spark-five-hour", label, UsageQuotaKind::spark, UsageQuotaWindow::fiveHour, 100, 0,
             "2026-03-01T08:00:01Z"},
            {"spark-weekly", label, UsageQuotaKind::spark, UsageQuotaWindow::weekly, 40, 60,
             "2026-03-08T08:00:00Z"},
        };
    };
    auto all = [&](const std::string &label) {
        auto rows = std::vector<ExpectedRow>{regularFiveHour, regularWeekly};
        for (const auto &row : sparkRows(label))
            rows.push_back(row);
        return rows;
    };
    const std::vector<Case> cases = {
        {"everything", QuotaSnapshot(fiveHour, weekly, spark, "pro", std::nullopt, fetchedAt), true,
         all("Spark Pro")},
        {"weekly only",
         QuotaSnapshot(std::nullopt, weekly, std::nullopt, std::nullopt, std::nullopt, fetchedAt),
         false,
         {regularWeekly}},
        {"unnamed spark",
         QuotaSnapshot(std::nullopt, std::nullopt, unnamedSpark, std::nullopt, std::nullopt, fetchedAt),
         false, sparkRows("GPT-5.3-Codex-Spark")},
        {"empty spark name",
         QuotaSnapshot(fiveHour, weekly, emptyNameSpark, std::nullopt, std::nullopt, fetchedAt), true,
         all("")},
        {"unrecognised spark",
         QuotaSnapshot(fiveHour, std::nullopt, unrecognisedSpark, std::nullopt, std::nullopt, fetchedAt),
         false,
         {regularFiveHour}},
        {"extreme values",
         QuotaSnapshot(extreme, overused, std::nullopt, std::nullopt, std::nullopt, fetchedAt),
         false,
         {{"regular-five-hour", "Codex 常规额度", UsageQuotaKind::regular, UsageQuotaWindow::fiveHour, 100, 0,
           std::nullopt},
          regularWeekly}},
        {"no window",
         QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, "plus", std::nullopt, fetchedAt),
         true,
         {}},
    };
    for (const auto &testCase : cases) {
        EXPECT_EQ(QuotaSnapshotDashboardRows::usageDashboardSnapshots(testCase.snapshot, testCase.isStale),
                  expectedRows(testCase.rows, testCase.isStale))
            << testCase.name;
    }
}
