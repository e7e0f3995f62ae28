#include "preferences/CodexPlanTier.h"
#include "preferences/PulsegrovePreferenceDefaults.h"
#include "preferences/QuotaPanelStyle.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace pulsegrove;

TEST(QuotaModuleTests, RawValuesRoundTripInDisplayOrder)
{
    std::string joined;
    for (const QuotaModule module : QuotaModules::allCases) {
        joined += std::string(QuotaModules::rawValue(module)) + " ";
        EXPECT_EQ(QuotaModules::fromRawValue(QuotaModules::rawValue(module)), module);
    }
    EXPECT_EQ(joined, "standardQuota sparkQuota resetCredits systemMetrics modelInsights resetHints ");
    EXPECT_EQ(QuotaModules::fromRawValue("standardQuota "), std::nullopt);
}

TEST(PreferenceDefaultsTests, HiddenModulesMatchRawValuesExactlyAndBoolsDefaultToTrue)
{
    const auto all = QuotaModules::allModules();
    EXPECT_EQ(PulsegrovePreferenceDefaults::visibleModules(std::nullopt), all);
    EXPECT_EQ(PulsegrovePreferenceDefaults::visibleModules(std::vector<std::string>{}), all);
    auto withoutMetrics = all;
    withoutMetrics.erase(QuotaModule::systemMetrics);
    EXPECT_EQ(PulsegrovePreferenceDefaults::visibleModules(
                  std::vector<std::string>{"systemMetrics", "SystemMetrics", "weather"}),
              withoutMetrics);
    const std::vector<std::string> everything(
        {"resetHints", "modelInsights", "systemMetrics", "resetCredits", "sparkQuota", "standardQuota"});
    EXPECT_TRUE(PulsegrovePreferenceDefaults::visibleModules(everything).empty());
    // Stored back sorted, whatever the order read.
    EXPECT_EQ(PulsegrovePreferenceDefaults::hiddenStoredValues(withoutMetrics),
              std::vector<std::string>{"systemMetrics"});
    EXPECT_EQ(PulsegrovePreferenceDefaults::hiddenStoredValues({}),
              std::vector<std::string>({"modelInsights", "resetCredits", "resetHints", "sparkQuota",
                                        "standardQuota", "systemMetrics"}));

    EXPECT_FALSE(PulsegrovePreferenceDefaults::showDockIcon(false));
    EXPECT_TRUE(PulsegrovePreferenceDefaults::showDockIcon(std::nullopt));
}

TEST(QuotaPanelStyleTests, TheStoredValueFallsBackToSystemWhereTheRawValueGivesNothing)
{
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue("dashboard"), QuotaPanelStyle::dashboard);
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue("Dashboard"), QuotaPanelStyle::system);
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue(std::nullopt), QuotaPanelStyle::system);
}

TEST(CodexPlanTierTests, PlanTypesMapToTiersAfterTrimmingAndLowerCasing)
{
    const std::vector<std::pair<std::string, CodexPlanTier>> cases = {
        {"  PRO \n", CodexPlanTier::proTwentyX()},
        {"ProLite", CodexPlanTier::proFiveX()},
        {"\u00A0\tplus\u3000", CodexPlanTier::plus()},
        {"pro_lite", CodexPlanTier::other("CODEX")},
        {"team", CodexPlanTier::other("BUSINESS")},
        {"self_serve_business_usage_based", CodexPlanTier::other("BUSINESS")},
        {"business", CodexPlanTier::other("ENTERPRISE")},
        {"education", CodexPlanTier::other("EDU")},
        {"GO", CodexPlanTier::other("GO")},
        {"platinum", CodexPlanTier::other("CODEX")},
    };
    for (const auto &[rawPlanType, expected] : cases)
        EXPECT_EQ(CodexPlanTier(rawPlanType), expected) << rawPlanType;

    // The sign is U+00D7, not the letter x; a label never equals a named tier.
    EXPECT_EQ(CodexPlanTier::proFiveX().displayName(), "PRO 5\u00D7");
    EXPECT_EQ(CodexPlanTier::proTwentyX().displayName(), "PRO 20\u00D7");
    EXPECT_EQ(CodexPlanTier("free").displayName(), "FREE");
    EXPECT_NE(CodexPlanTier::other("PLUS"), CodexPlanTier::plus());
}
