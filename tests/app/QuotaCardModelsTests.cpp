#include "views/cards/QuotaCardModel.h"
#include "views/cards/ResetCreditsMenuCardModel.h"
#include "views/cards/SparkQuotaCardModel.h"

#include <gtest/gtest.h>
#include <limits>

namespace pulsegrove {

void PrintTo(const ResetCreditsMenuCardModel::MenuRow &row, std::ostream *out)
{
    *out << (row.isDivider ? std::string("divider") : row.text.toStdString());
}

namespace {

constexpr std::int64_t nowUnix = 1'772'000'000; // 2026-02-25 06:13:20 UTC
const Date now = Date::fromUnixSeconds(double(nowUnix));
const Environment utc(std::map<std::string, std::string>{{"TZ", "UTC"}});
const Environment shanghai(std::map<std::string, std::string>{{"TZ", "Asia/Shanghai"}});

// Remaining shares are clamped, used shares are shown as reported: a window used beyond its
// limit reads 0% next to 已用 130%.
TEST(QuotaCardModelTests, PercentTextsClampTheRemainderAndKeepTheUsedShare)
{
    struct Case {
        std::int64_t used;
        const char *remaining, *usedText;
    };
    const Case cases[] = {
        {37, "63%", "已用 37%"},
        {0, "100%", "已用 0%"},
        {100, "0%", "已用 100%"},
        {130, "0%", "已用 130%"},
        {-5, "100%", "已用 -5%"},
        {std::numeric_limits<std::int64_t>::min(), "100%", "已用 -9223372036854775808%"},
    };
    for (const Case &c : cases) {
        const RateLimitWindow window{c.used, 300, nowUnix + 60};
        EXPECT_EQ(QuotaCardModel::remainingText(window), QString::fromUtf8(c.remaining)) << c.used;
        EXPECT_EQ(QuotaCardModel::usedText(window), QString::fromUtf8(c.usedText)) << c.used;
    }
    EXPECT_EQ(CompactQuotaMeterModel::percentText(std::nullopt), QStringLiteral("--%"));
    EXPECT_EQ(CompactQuotaMeterModel::usedText(std::nullopt), QStringLiteral("暂无数据"));
}

// The reset line is the countdown and, while the reset lies ahead, its time in the environment's
// zone; absurd reset times still give a text.
TEST(QuotaCardModelTests, ResetTextFollowsTheEnvironmentsZoneAndSurvivesAbsurdTimes)
{
    const RateLimitWindow soon{10, 300, nowUnix + 90 * 60};
    EXPECT_EQ(QuotaCardModel::resetText(soon, now, utc), QStringLiteral("1小时 30分后重置 · 2月25日 07:43"));
    EXPECT_EQ(QuotaCardModel::resetText(soon, now, shanghai),
              QStringLiteral("1小时 30分后重置 · 2月25日 15:43"));
    const struct {
        std::optional<std::int64_t> resetsAt;
        const char *expected; // null: any non-empty text
    } cases[] = {
        {nowUnix - 10 * 365 * 86400, "重置时间已到，等待额度状态更新"},
        {std::numeric_limits<std::int64_t>::min(), "重置时间已到，等待额度状态更新"},
        {nowUnix + 30LL * 365 * 86400, "10950天 0小时后重置 · 2056年2月18日 06:13"},
        {std::nullopt, nullptr},
        {std::numeric_limits<std::int64_t>::max(), nullptr},
    };
    for (const auto &c : cases) {
        const QString text = QuotaCardModel::resetText({10, 300, c.resetsAt}, now, utc);
        EXPECT_EQ(c.expected ? text : QString(), QString::fromUtf8(c.expected));
        EXPECT_FALSE(text.isEmpty());
    }
}

// The Spark card shows the limit's name verbatim (markup included, as text) or the default, and
// a rule only between two meters; it always speaks of GPT-5.3-Codex-Spark.
TEST(SparkQuotaCardModelTests, NameDefaultAndDivider)
{
    RateLimitSnapshot spark;
    spark.primary = RateLimitWindow{10, 10080, nowUnix};
    EXPECT_EQ(SparkQuotaCardModel::name(spark), QStringLiteral("GPT-5.3-Codex-Spark"));
    EXPECT_FALSE(SparkQuotaCardModel::showsDivider(spark)) << "a weekly primary window alone";
    spark.limitName = "<b>Spark</b> &amp; co";
    EXPECT_EQ(SparkQuotaCardModel::name(spark), QStringLiteral("<b>Spark</b> &amp; co"));
    spark.secondary = RateLimitWindow{20, 300, nowUnix};
    EXPECT_TRUE(SparkQuotaCardModel::showsDivider(spark));
    EXPECT_EQ(SparkQuotaCardModel::accessibilityLabel(), QStringLiteral("GPT-5.3-Codex-Spark 独立额度"));
}

RateLimitResetCredit credit(const char *status, std::optional<std::int64_t> expiresIn)
{
    return {status, expiresIn ? std::optional(nowUnix + *expiresIn) : std::nullopt};
}

// The face counts what the server counted (negative as 0); the menu lists the available credits
// against `now`, or says why it cannot.
TEST(ResetCreditsMenuCardModelTests, FaceAndMenuRowsForEverySummary)
{
    using Row = ResetCreditsMenuCardModel::MenuRow;
    const auto rows = [](std::initializer_list<const char *> texts) {
        QList<Row> result;
        for (const char *text : texts)
            result.append(text ? Row{false, QString::fromUtf8(text)} : Row{true, QString()});
        return result;
    };
    using Credits = std::vector<RateLimitResetCredit>;
    const Credits twoAvailable{credit("available", 9 * 86400), credit("available", 2 * 3600)};
    struct Case {
        const char *name;
        std::optional<RateLimitResetCreditsSummary> summary;
        const char *face, *spoken;
        QList<Row> menu;
    };
    const Case cases[] = {
        {"absent", std::nullopt, "-- 次", "暂无数据", rows({"Codex 暂未返回重置次数"})},
        {"count only", RateLimitResetCreditsSummary{3, std::nullopt}, "3 次可用", "3 次可用",
         rows({"Codex 仅返回 3 次可用总数，未返回到期明细"})},
        {"none available by status",
         RateLimitResetCreditsSummary{3, Credits{credit("used", 3600), credit("expired", -60)}}, "3 次可用",
         "3 次可用", rows({"未返回可用次数的到期明细"})},
        {"two of three detailed, soonest first", RateLimitResetCreditsSummary{3, twoAvailable}, "3 次可用",
         "3 次可用",
         rows({"第 1 次 · 2小时后到期 · 2月25日 周三 08:13", "第 2 次 · 9天后到期 · 3月6日 周五 06:13",
               nullptr, "接口返回 2 条明细，另有 1 次暂无到期记录"})},
        {"more detailed than counted",
         RateLimitResetCreditsSummary{1, Credits{credit("available", 60), credit("available", std::nullopt),
                                                 credit("AVAILABLE", -3600)}},
         "1 次可用", "1 次可用",
         rows({"第 1 次 · 1分钟后到期 · 2月25日 周三 06:14",
               "第 2 次 · 已到期，等待状态更新 · 2月25日 周三 05:13", "第 3 次 · 到期时间未知"})},
        {"zero counted", RateLimitResetCreditsSummary{0, twoAvailable}, "0 次可用", "0 次可用",
         rows({"暂无可用重置次数"})},
        {"negative counted", RateLimitResetCreditsSummary{-2, twoAvailable}, "0 次可用", "0 次可用",
         rows({"暂无可用重置次数"})},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ResetCreditsMenuCardModel::faceText(c.summary), QString::fromUtf8(c.face)) << c.name;
        EXPECT_EQ(ResetCreditsMenuCardModel::accessibilityValue(c.summary), QString::fromUtf8(c.spoken))
            << c.name;
        EXPECT_EQ(ResetCreditsMenuCardModel::menuRows(c.summary, now, utc), c.menu) << c.name;
    }
}

// The list is ordered and worded against the time given: a credit that expires within the
// minute moves behind the valid ones once that minute has passed.
TEST(ResetCreditsMenuCardModelTests, RowsFollowTheTimelinesDate)
{
    const RateLimitResetCreditsSummary summary{
        2, std::vector<RateLimitResetCredit>{credit("available", 30), credit("available", 3 * 86400)}};
    const auto first = ResetCreditsMenuCardModel::menuRows(summary, now, utc);
    const auto later = ResetCreditsMenuCardModel::menuRows(summary, now.addingSeconds(60), utc);
    ASSERT_EQ(first.size(), 2);
    ASSERT_EQ(later.size(), 2);
    EXPECT_TRUE(first[0].text.startsWith(QStringLiteral("第 1 次 · 不到 1 分钟后到期")));
    EXPECT_TRUE(later[0].text.startsWith(QStringLiteral("第 1 次 · 2天 23小时后到期")));
    EXPECT_TRUE(later[1].text.startsWith(QStringLiteral("第 2 次 · 已到期")));
}

} // namespace
} // namespace pulsegrove
