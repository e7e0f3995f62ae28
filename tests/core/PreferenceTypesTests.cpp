#include "preferences/CodexPlanTier.h"
#include "preferences/PulsegrovePreferenceDefaults.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace pulsegrove;

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
    EXPECT_TRUE(PulsegrovePreferenceDefaults::visibleModules(std::vector<std::string>{"resetHints", "modelInsights",
        "systemMetrics", "resetCredits", "sparkQuota", "standardQuota"}).empty());
    // Stored back sorted, whatever the order read.
    EXPECT_EQ(PulsegrovePreferenceDefaults::hiddenStoredValues(withoutMetrics),
              std::vector<std::string>{"systemMetrics"});
    EXPECT_EQ(PulsegrovePreferenceDefaults::hiddenStoredValues({}),
              std::vector<std::string>({"modelInsights", "resetCredits", "resetHints", "sparkQuota",
                                        "standardQuota", "systemMetrics"}));
    EXPECT_TRUE(PulsegrovePreferenceDefaults::showDockIcon(std::nullopt));
}

TEST(CodexPlanTierTests, PlanTypesMapToTiersAfterTrimmingAndLowerCasing)
{
    const std::vector<std::pair<std::string, CodexPlanTier>> cases = {
        {"  PRO \n", CodexPlanTier::proTwentyX()},
        {"ProLite", CodexPlanTier::proFiveX()},
        {"\u00A0\tplus\u3000", CodexPlanTier::plus()},
        {"pro_lite", CodexPlanTier::other("CODEX")},
        {"self_serve_business_usage_based", CodexPlanTier::other("BUSINESS")},
        {"business", CodexPlanTier::other("ENTERPRISE")},
        {"GO", CodexPlanTier::other("GO")},
    };
    for (const auto &[rawPlanType, expected] : cases)
        EXPECT_EQ(CodexPlanTier(rawPlanType), expected) << rawPlanType;
    // A label never equals a named tier.
    EXPECT_EQ(CodexPlanTier("free").displayName(), "FREE");
    EXPECT_NE(CodexPlanTier::other("PLUS"), CodexPlanTier::plus());
}
