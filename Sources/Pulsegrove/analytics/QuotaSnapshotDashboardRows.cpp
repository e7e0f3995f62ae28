#include "analytics/QuotaSnapshotDashboardRows.h"

#include "formatting/InternetDateTimeText.h"

#include <algorithm>

namespace pulsegrove {

namespace {

struct RowSource {
    const char *id;
    UsageQuotaKind kind;
    UsageQuotaWindow window;
    std::optional<RateLimitWindow> rateLimitWindow;
};

double clampedPercent(std::int64_t percent)
{
    return double(std::clamp<std::int64_t>(percent, 0, 100));
}

} // namespace

std::vector<UsageQuotaSnapshot>
QuotaSnapshotDashboardRows::usageDashboardSnapshots(const QuotaSnapshot &snapshot, bool isStale)
{
    const auto &spark = snapshot.spark();
    const std::string sparkLabel = spark && spark->limitName ? *spark->limitName : sparkFallbackLabel;
    const RowSource sources[] = {
        {"regular-five-hour", UsageQuotaKind::regular, UsageQuotaWindow::fiveHour, snapshot.fiveHour()},
        {"regular-weekly", UsageQuotaKind::regular, UsageQuotaWindow::weekly, snapshot.weekly()},
        {"spark-five-hour", UsageQuotaKind::spark, UsageQuotaWindow::fiveHour,
         spark ? spark->fiveHourWindow() : std::nullopt},
        {"spark-weekly", UsageQuotaKind::spark, UsageQuotaWindow::weekly,
         spark ? spark->weeklyWindow() : std::nullopt},
    };
    // The fetch time is always representable (the clock and the cache guarantee it); the epoch
    // stands in only so a row never carries an empty time.
    const std::string capturedAt =
        InternetDateTimeText::format(snapshot.fetchedAt()).value_or("1970-01-01T00:00:00Z");
    std::vector<UsageQuotaSnapshot> rows;
    for (const auto &source : sources) {
        if (!source.rateLimitWindow)
            continue;
        const auto &window = *source.rateLimitWindow;
        const bool isRegular = source.kind == UsageQuotaKind::regular;
        rows.push_back({
            source.id,
            isRegular ? regularLabel : sparkLabel,
            source.kind,
            source.window,
            double(window.remainingPercent()),
            clampedPercent(window.usedPercent),
            capturedAt,
            window.resetsAt ? InternetDateTimeText::formatUnixSeconds(*window.resetsAt) : std::nullopt,
            isStale,
        });
    }
    return rows;
}

} // namespace pulsegrove
