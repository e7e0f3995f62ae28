#include "statusitem/StatusMenuModel.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace pulsegrove {
namespace {

using Model = StatusMenuModel;

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Thursday 2026-03-05 12:00 UTC.
constexpr double nowUnix = 1772712000.0;
const Date now = Date::fromUnixSeconds(nowUnix);

RateLimitWindow used(std::int64_t percent, std::optional<std::int64_t> resetIn = std::nullopt)
{
    return {percent, std::nullopt,
            resetIn ? std::optional<std::int64_t>(std::int64_t(nowUnix) + *resetIn) : std::nullopt};
}

QuotaSnapshot snapshotWith(std::optional<RateLimitWindow> fiveHour, std::optional<RateLimitWindow> weekly,
                           std::optional<RateLimitSnapshot> spark = std::nullopt,
                           std::optional<std::string> plan = std::nullopt)
{
    return QuotaSnapshot(fiveHour, weekly, spark, plan, std::nullopt, now);
}

auto utc()
{
    return SystemTimeZone::current(Environment(std::map<std::string, std::string>{{"TZ", "UTC"}}));
}

TEST(StatusMenuModelTests, HeaderNamesThePlanAndWhetherTheDataAreLive)
{
    const struct {
        std::optional<QuotaSnapshot> snapshot;
        bool isStale;
        const char *expected;
    } cases[] = {
        {std::nullopt, true, "Pulse Grove · CODEX · 等待"},
        {snapshotWith(used(1), std::nullopt, std::nullopt, "plus"), false, "Pulse Grove · PLUS · 实时"},
        {snapshotWith(used(1), std::nullopt, std::nullopt, "pro"), true, "Pulse Grove · PRO 20× · 缓存"},
        {snapshotWith(used(1), std::nullopt), false, "Pulse Grove · CODEX · 实时"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Model::headerTitle(c.snapshot, c.isStale), u(c.expected)) << c.expected;
}

TEST(StatusMenuModelTests, ActionTextsKeepTheirAmpersandsLiteral)
{
    const std::pair<const char *, const char *> cases[] = {
        {"R&D 额度", "R&&D 额度"}, {"&&", "&&&&"}, {"&", "&&"}, {"GPT-5.4", "GPT-5.4"}, {"", ""}};
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(Model::actionText(u(text)), u(expected)) << text;
}

TEST(StatusMenuModelTests, QuotaRowsShowTheClampedRemainderAndTheResetOrPlaceholders)
{
    const auto zone = utc();
    const struct {
        QString label;
        std::optional<RateLimitWindow> window;
        Model::QuotaRows expected;
    } cases[] = {
        {Model::fiveHourLabel(),
         used(42, 5400),
         {u("5 小时额度：58% 剩余"), u("已用 42% · 1小时 30分后重置 · 3月5日 13:30")}},
        {Model::weeklyLabel(),
         used(130, 60),
         {u("每周额度：0% 剩余"), u("已用 130% · 1分钟后重置 · 3月5日 12:01")}},
        {Model::weeklyLabel(), used(-20), {u("每周额度：100% 剩余"), u("已用 -20% · 重置时间未知")}},
        {Model::fiveHourLabel(), std::nullopt, {u("5 小时额度：--%"), u("暂无数据")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Model::quotaRows(c.label, c.window, now, zone), c.expected)
            << c.expected.title.toStdString();

    RateLimitSnapshot named;
    named.limitName = "Codex Turbo";
    EXPECT_EQ(Model::sparkSectionTitle(named), u("Codex Turbo 额度"));
}

TEST(StatusMenuModelTests, QuotaWarningFollowsTheErrorThenTheStaleness)
{
    const struct {
        bool hasError, isStale, hasSnapshot;
        std::optional<QString> expected;
    } cases[] = {
        {true, true, true, u("刷新失败，当前显示上次数据")},
        {true, true, false, u("刷新失败，暂无可用数据")},
        {false, true, true, u("当前显示缓存数据")},
        {false, true, false, std::nullopt},
        {false, false, true, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Model::quotaStatusTitle(c.hasError, c.isStale, c.hasSnapshot), c.expected);
}

TEST(StatusMenuModelTests, ResetCreditRowsCoverCountsDetailsAndMissingDetails)
{
    const auto zone = utc();
    const auto credit = [](const char *status, std::optional<std::int64_t> expiresIn) {
        return RateLimitResetCredit{
            status,
            expiresIn ? std::optional<std::int64_t>(std::int64_t(nowUnix) + *expiresIn) : std::nullopt};
    };
    using Rows = QList<Model::Row>;
    const struct {
        std::optional<RateLimitResetCreditsSummary> summary;
        const char *title;
        Rows rows;
    } cases[] = {
        {std::nullopt, "重置次数：-- 次", {{u("Codex 暂未返回重置次数"), {}}}},
        {RateLimitResetCreditsSummary{-3, std::nullopt}, "重置次数：0 次可用", {{u("暂无可用重置次数"), {}}}},
        {RateLimitResetCreditsSummary{2, std::nullopt},
         "重置次数：2 次可用",
         {{u("Codex 仅返回 2 次可用总数，未返回到期明细"), {}}}},
        {RateLimitResetCreditsSummary{2, std::vector{credit("used", 7200)}},
         "重置次数：2 次可用",
         {{u("未返回可用次数的到期明细"), {}}}},
        {RateLimitResetCreditsSummary{5, std::vector{credit("available", 86400), credit("available", 7200)}},
         "重置次数：5 次可用",
         {{u("第 1 次 · 2小时后到期 · 3月5日 周四 14:00"), QStringLiteral("clock.badge.exclamationmark")},
          {u("第 2 次 · 1天后到期 · 3月6日 周五 12:00"), QStringLiteral("clock")},
          {u("接口返回 2 条明细，另有 3 次暂无到期记录"), {}, true}}},
        {RateLimitResetCreditsSummary{2, std::vector{credit("available", 7200)}},
         "重置次数：2 次可用",
         {{u("第 1 次 · 2小时后到期 · 3月5日 周四 14:00"), QStringLiteral("clock.badge.exclamationmark")},
          {u("接口返回 1 条明细，另有 1 次暂无到期记录"), {}, true}}},
        {RateLimitResetCreditsSummary{1, std::vector{credit("available", 7200)}},
         "重置次数：1 次可用",
         {{u("第 1 次 · 2小时后到期 · 3月5日 周四 14:00"), QStringLiteral("clock.badge.exclamationmark")}}},
    };
    for (const auto &c : cases) {
        const auto credits = Model::resetCredits(c.summary, now, zone);
        EXPECT_EQ(credits.title, u(c.title));
        EXPECT_EQ(credits.rows, c.rows) << c.title;
    }
}

TEST(StatusMenuModelTests, MetricsRowsTellTemperatureLoadAndMemoryOrWhyNot)
{
    const auto sample = [](std::optional<double> celsius, CPUTemperatureSource source) {
        SystemMetricsSnapshot snapshot;
        snapshot.cpuTemperatureCelsius = celsius;
        snapshot.temperatureSource = source;
        snapshot.cpuUsagePercent = 12.5;
        snapshot.memoryUsedPercent = 50.0;
        snapshot.memoryUsedBytes = 8ull << 30;
        snapshot.memoryTotalBytes = 16ull << 30;
        snapshot.thermalState = SystemThermalState::fair;
        return snapshot;
    };
    const struct {
        std::optional<SystemMetricsSnapshot> snapshot;
        bool isStale;
        Model::MetricsRows expected;
    } cases[] = {
        {sample(62.4, CPUTemperatureSource::cpuDieHotspot),
         false,
         {u("CPU 核心热点：62°C"), u("温度状态：正常 · 系统热状态：升温"), u("CPU 占用：13%"),
          u("内存使用：50% · 8.0 / 16 GB")}},
        {sample(91.0, CPUTemperatureSource::cpuCoreMaximum),
         false,
         {u("CPU 最高核心：91°C"), u("温度状态：较热 · 系统热状态：升温"), u("CPU 占用：13%"),
          u("内存使用：50% · 8.0 / 16 GB")}},
        {sample(62.4, CPUTemperatureSource::cpuDie),
         true,
         {u("CPU 核心温度：--°C"), u("数据暂停 · 系统热状态：升温"), u("CPU 占用：--%"), u("内存使用：--%")}},
        {sample(std::nullopt, CPUTemperatureSource::unavailable),
         false,
         {u("CPU 核心温度：--°C"), u("温度传感器不可用 · 系统热状态：升温"), u("CPU 占用：13%"),
          u("内存使用：50% · 8.0 / 16 GB")}},
        {std::nullopt,
         true,
         {u("CPU 核心温度：--°C"), u("温度传感器不可用 · 系统热状态：--"), u("CPU 占用：--%"),
          u("内存使用：--%")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Model::metricsRows(c.snapshot, c.isStale), c.expected)
            << c.expected.temperature.toStdString();

    EXPECT_EQ(Model::temperatureSummary(sample(62.4, CPUTemperatureSource::cpuDieHotspot), true),
              u("CPU 核心温度不可用"));
    EXPECT_EQ(Model::temperatureSummary(sample(std::nullopt, CPUTemperatureSource::cpuDie), false),
              u("CPU 核心温度不可用"));
    auto partial = sample(50.0, CPUTemperatureSource::cpuDie);
    partial.memoryTotalBytes.reset();
    EXPECT_EQ(Model::memoryTitle(partial, false), u("内存使用：--%"));
}

TEST(StatusMenuModelTests, PercentTextRoundsHalvesAwayFromZeroAndHidesWhatIsNotANumber)
{
    const struct {
        std::optional<double> value;
        bool isStale;
        const char *expected;
    } cases[] = {
        {12.5, false, "13%"},         {12.49, false, "12%"},    {0.0, false, "0%"},
        {100.0, false, "100%"},       {12.5, true, "--%"},      {std::nullopt, false, "--%"},
        {std::nan(""), false, "--%"}, {INFINITY, false, "--%"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Model::percentText(c.value, c.isStale), QString::fromLatin1(c.expected)) << c.expected;
}

TEST(StatusMenuModelTests, ModelInsightsListEachModelsRatesOrOnlyTheExplanation)
{
    QuotaInsightsCatalog catalog;
    catalog.verifiedAt = QStringLiteral("2026-03-01T08:00:00Z");
    catalog.models = {
        {QStringLiteral("gpt-5.4"), QStringLiteral("GPT-5.4"), 1.25, 0.125, 10.0, 2.0},
        {QStringLiteral("spark"), QStringLiteral("Spark"), std::nullopt, std::nullopt, 4.0, std::nullopt}};
    const QString explanation = u("credits / 100 万 tokens；不是每次请求额度百分比");
    const Model::ModelInsights expected{
        explanation,
        {{QStringLiteral("GPT-5.4"),
          {u("标准：输入 1.25 / 缓存 0.125 / 输出 10"), u("加速（如可用）：标准消耗的 2×"),
           u("各推理强度无已公布固定倍率")}},
         {QStringLiteral("Spark"),
          {u("独立额度，暂无已公布的可比 credits 费率"), u("加速倍率暂无已核实官方数据"),
           u("各推理强度无已公布固定倍率")}}},
        u("核实日期：2026-03-01")};
    EXPECT_EQ(Model::modelInsights(catalog), expected);
    EXPECT_EQ(Model::modelInsights(std::nullopt), (Model::ModelInsights{explanation, {}, std::nullopt}));
}

TEST(StatusMenuModelTests, VisibilityFollowsModulesAndTheWindowsThatExist)
{
    RateLimitSnapshot spark;
    spark.primary = RateLimitWindow{10, 300, std::nullopt};
    const auto all = QuotaModules::allModules();
    using M = QuotaModule;
    Model::Visibility everything;
    everything.normalSection = everything.fiveHour = everything.weekly = true;
    everything.sparkSection = everything.sparkFiveHour = everything.sparkWeekly = true;
    everything.quotaStatus = everything.resetCredits = everything.modelInsights = everything.resetHint = true;
    everything.metrics = everything.normalSparkSeparator = everything.quotaDeviceSeparator = true;
    everything.actionsSeparator = true;

    Model::Visibility weeklyOnly;
    weeklyOnly.normalSection = weeklyOnly.weekly = true;
    weeklyOnly.actionsSeparator = true;

    Model::Visibility sparkFiveHourOnly = everything;
    sparkFiveHourOnly.fiveHour = sparkFiveHourOnly.sparkWeekly = false;
    sparkFiveHourOnly.quotaStatus = false;

    Model::Visibility withoutSpark = everything;
    withoutSpark.sparkSection = withoutSpark.sparkFiveHour = withoutSpark.sparkWeekly = false;
    withoutSpark.normalSparkSeparator = false;

    RateLimitSnapshot sparkBoth = spark;
    sparkBoth.secondary = RateLimitWindow{20, 10080, std::nullopt};
    QuotaModuleSet allButSpark = all;
    allButSpark.erase(M::sparkQuota);

    Model::Visibility systemOnly;
    systemOnly.metrics = systemOnly.actionsSeparator = true;

    const struct {
        const char *name;
        std::optional<QuotaSnapshot> snapshot;
        QuotaModuleSet modules;
        bool quotaStatusShown;
        Model::Visibility expected;
    } cases[] = {
        {"no data, all modules", std::nullopt, all, true, everything},
        {"weekly only", snapshotWith(std::nullopt, used(10)), {M::standardQuota}, false, weeklyOnly},
        {"spark five-hour only", snapshotWith(std::nullopt, used(10), spark), all, false, sparkFiveHourOnly},
        {"no spark data", snapshotWith(used(1), used(10)), all, true, withoutSpark},
        {"spark data, spark module off", snapshotWith(used(1), used(10), sparkBoth), allButSpark, true,
         withoutSpark},
        {"system module only: the warning goes with the quota area",
         std::nullopt,
         {M::systemMetrics},
         true,
         systemOnly},
        {"nothing", std::nullopt, {}, true, Model::Visibility{}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Model::visibility(c.snapshot, c.modules, c.quotaStatusShown), c.expected) << c.name;
}

} // namespace
} // namespace pulsegrove
