#include "views/panel/QuotaPanelFooterModel.h"
#include "views/panel/QuotaPanelHeaderModel.h"
#include "views/panel/QuotaPanelStatusModel.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

const Date fetchedAt = Date::fromUnixSeconds(1'772'000'009); // 06:13:29 UTC

QuotaSnapshot snapshotWith(bool fiveHour, bool weekly, std::optional<std::string> planType = "plus")
{
    const RateLimitWindow window{40, 300, 1'772'003'600};
    return QuotaSnapshot(fiveHour ? std::optional(window) : std::nullopt,
                         weekly ? std::optional(RateLimitWindow{10, 10080, 1'772'500'000}) : std::nullopt,
                         std::nullopt, std::move(planType), std::nullopt, fetchedAt);
}

// The subtitle names the windows the snapshot carries; an unknown plan still gets a badge.
TEST(QuotaPanelHeaderModelTests, SubtitleAndPlan)
{
    const struct {
        std::optional<QuotaSnapshot> snapshot;
        const char *subtitle;
    } subtitles[] = {
        {std::nullopt, "实时额度与本机状态"},
        {snapshotWith(true, true), "5 小时与每周额度"},
        {snapshotWith(true, false), "5 小时额度实时监控"},
        {snapshotWith(false, true), "每周额度实时监控"},
        {snapshotWith(false, false), "实时额度与本机状态"},
    };
    for (const auto &c : subtitles)
        EXPECT_EQ(QuotaPanelHeaderModel::subtitle(c.snapshot), QString::fromUtf8(c.subtitle)) << c.subtitle;

    EXPECT_EQ(QuotaPanelHeaderModel::planTier(std::nullopt), std::nullopt);
    EXPECT_EQ(QuotaPanelHeaderModel::planTier(snapshotWith(true, true, std::nullopt)), std::nullopt);
    EXPECT_EQ(QuotaPanelHeaderModel::planTier(snapshotWith(true, true, "plus")), CodexPlanTier::plus());
    EXPECT_EQ(QuotaPanelHeaderModel::planTier(snapshotWith(true, true, "team-unknown")),
              CodexPlanTier::other("CODEX"))
        << "an unknown plan still gets a badge";
}

// A failure shows the store's message verbatim on at most two lines; live data the short time;
// cached data the time with seconds, in the locale and the zone given.
TEST(QuotaPanelStatusModelTests, TextSymbolAndLinesByState)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QuotaSnapshot snapshot = snapshotWith(true, true);
    const struct {
        std::optional<QString> error;
        bool isStale;
        QLocale locale;
        const char *text, *symbol;
        int lines;
    } cases[] = {
        {std::nullopt, false, chinese, "更新于 06:13 · 前台 1 分钟 / 后台 5 分钟刷新", "clock", 0},
        {std::nullopt, false, english, "更新于 6:13 AM · 前台 1 分钟 / 后台 5 分钟刷新", "clock", 0},
        {std::nullopt, true, chinese, "当前显示缓存数据 · 更新于 06:13:29", "clock", 0},
        {std::nullopt, true, english, "当前显示缓存数据 · 更新于 6:13:29 AM", "clock", 0},
        {QStringLiteral("<b>超时</b>"), true, chinese, "刷新失败，显示上次数据 · <b>超时</b>",
         "exclamationmark.triangle", 2},
        {QString(), true, chinese, "刷新失败，显示上次数据 · ", "exclamationmark.triangle", 2},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(QuotaPanelStatusModel::text(snapshot, c.error, c.isStale, c.locale, QTimeZone::utc()),
                  QString::fromUtf8(c.text));
        EXPECT_EQ(QuotaPanelStatusModel::symbolName(c.error), QString::fromUtf8(c.symbol));
        EXPECT_EQ(QuotaPanelStatusModel::lineLimit(c.error), c.lines);
    }
    // A fetch time no calendar holds gives a placeholder, not garbage or a crash.
    for (const double seconds : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN()}) {
        const Date absurd = Date::fromReferenceSeconds(seconds);
        EXPECT_EQ(QuotaPanelStatusModel::shortTime(absurd, chinese, QTimeZone::utc()), QStringLiteral("--"));
        EXPECT_EQ(QuotaPanelStatusModel::timeWithSeconds(absurd, chinese, QTimeZone::utc()),
                  QStringLiteral("--"));
    }
    // The zone is the one given: the same read at 14:13 in Shanghai.
    const QTimeZone shanghai("Asia/Shanghai");
    EXPECT_EQ(QuotaPanelStatusModel::shortTime(fetchedAt, chinese, shanghai), QStringLiteral("14:13"));
}

} // namespace
} // namespace pulsegrove
