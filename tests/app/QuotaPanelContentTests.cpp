#include "views/panel/QuotaPanelContent.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using Kind = QuotaPanelElement::Kind;
using Module = QuotaModule;

RateLimitWindow window(std::int64_t used, std::int64_t minutes)
{
    return {used, minutes, 1'800'000'000};
}

QuotaSnapshot snapshotWith(bool fiveHour, bool weekly, std::optional<RateLimitSnapshot> spark,
                           std::optional<RateLimitResetCreditsSummary> credits)
{
    return QuotaSnapshot(fiveHour ? std::optional(window(37, 300)) : std::nullopt,
                         weekly ? std::optional(window(62, 10080)) : std::nullopt, std::move(spark), "plus",
                         std::move(credits), Date::fromUnixSeconds(1'757'000'000));
}

RateLimitSnapshot sparkWith(std::optional<std::int64_t> minutes)
{
    RateLimitSnapshot spark;
    spark.primary = RateLimitWindow{10, minutes, 1'800'000'000};
    return spark;
}

std::vector<Kind> kinds(const std::vector<QuotaPanelElement> &elements)
{
    std::vector<Kind> result;
    for (const QuotaPanelElement &element : elements)
        result.push_back(element.kind);
    return result;
}

// Which elements show, in which order, for each combination of modules and store state.
TEST(QuotaPanelContentTests, ElementsFollowTheVisibleModulesAndTheStoreState)
{
    const QuotaSnapshot full = snapshotWith(true, true, sparkWith(300), RateLimitResetCreditsSummary{2, {}});
    const QuotaSnapshot bare = snapshotWith(false, false, sparkWith(45), std::nullopt);
    const QuotaModuleSet all = QuotaModules::allModules();
    struct Case {
        const char *name;
        QuotaPanelContent::Inputs inputs;
        std::vector<Kind> expected;
    };
    const Case cases[] = {
        {"all hidden, even while refreshing with an error",
         {std::nullopt, true, QStringLiteral("x"), true, {}},
         {Kind::modulesHidden}},
        {"everything",
         {full, false, std::nullopt, false, all},
         {Kind::quotaCard, Kind::quotaCard, Kind::sparkCard, Kind::resetCreditsCard, Kind::resetHintsCard,
          Kind::modelInsightsCard, Kind::systemMetricsCard, Kind::statusLine}},
        {"loading",
         {std::nullopt, true, std::nullopt, true, all},
         {Kind::loading, Kind::resetHintsCard, Kind::modelInsightsCard, Kind::systemMetricsCard}},
        {"empty with an error",
         {std::nullopt, false, QStringLiteral("x"), true, {Module::standardQuota}},
         {Kind::empty}},
        {"only the system card, no status line even with a snapshot",
         {full, false, std::nullopt, false, {Module::systemMetrics}},
         {Kind::systemMetricsCard}},
        {"no windows: no quota card, the credits and the status line still",
         {bare, false, std::nullopt, false, {Module::standardQuota, Module::resetCredits}},
         {Kind::resetCreditsCard, Kind::statusLine}},
        {"a Spark limit without a recognised window shows no card",
         {bare, false, std::nullopt, false, {Module::sparkQuota}},
         {Kind::statusLine}},
        {"insights only, without the quota: no loading state",
         {std::nullopt, true, std::nullopt, true, {Module::modelInsights, Module::resetHints}},
         {Kind::resetHintsCard, Kind::modelInsightsCard}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(kinds(QuotaPanelContent::elements(c.inputs)), c.expected) << c.name;
}

} // namespace
} // namespace pulsegrove
