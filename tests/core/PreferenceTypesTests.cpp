#include "preferences/CodexPlanTier.h"
#include "preferences/PulsegrovePreferenceDefaults.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "preferences/QuotaModule.h"
#include "preferences/QuotaPanelStyle.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace pulsegrove;

TEST(PreferenceKeysTests, KeysCarryTheApplicationPrefixAndVersion)
{
    EXPECT_STREQ(PulsegrovePreferenceKeys::hiddenModules, "io.velorn.Pulsegrove.hiddenModules.v1");
    EXPECT_STREQ(PulsegrovePreferenceKeys::showDockIcon, "io.velorn.Pulsegrove.showDockIcon.v1");
    EXPECT_STREQ(PulsegrovePreferenceKeys::theme, "io.velorn.Pulsegrove.theme.v1");
    EXPECT_STREQ(PulsegrovePreferenceKeys::resetReminders, "io.velorn.Pulsegrove.resetReminders.v1");
    EXPECT_STREQ(PulsegrovePreferenceKeys::automaticallyChecksForUpdates,
                 "io.velorn.Pulsegrove.automaticallyChecksForUpdates.v1");
}

TEST(QuotaModuleTests, RawValuesRoundTripInDisplayOrder)
{
    const std::vector<std::string> expected = {"standardQuota", "sparkQuota",    "resetCredits",
                                               "systemMetrics", "modelInsights", "resetHints"};
    ASSERT_EQ(QuotaModules::allCases.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const QuotaModule module = QuotaModules::allCases[index];
        EXPECT_EQ(QuotaModules::rawValue(module), expected[index]);
        EXPECT_EQ(QuotaModules::fromRawValue(expected[index]), module);
    }
    EXPECT_EQ(QuotaModules::fromRawValue("SystemMetrics"), std::nullopt);
    EXPECT_EQ(QuotaModules::fromRawValue(""), std::nullopt);
    EXPECT_EQ(QuotaModules::fromRawValue("standardQuota "), std::nullopt);
}

TEST(PreferenceDefaultsTests, VisibleModulesSkipUnknownAndWronglyCasedTexts)
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
}

TEST(PreferenceDefaultsTests, BoolsDefaultToTrueOnlyWhenAbsent)
{
    EXPECT_FALSE(PulsegrovePreferenceDefaults::showDockIcon(false));
    EXPECT_TRUE(PulsegrovePreferenceDefaults::showDockIcon(std::nullopt));
    EXPECT_FALSE(PulsegrovePreferenceDefaults::automaticallyChecksForUpdates(false));
    EXPECT_TRUE(PulsegrovePreferenceDefaults::automaticallyChecksForUpdates(std::nullopt));
}

TEST(QuotaPanelStyleTests, StoredValueIsStricterThanTheDefaultButDistinctFromRawValue)
{
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue("dashboard"), QuotaPanelStyle::dashboard);
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue("Dashboard"), QuotaPanelStyle::system);
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue("nonsense"), QuotaPanelStyle::system);
    EXPECT_EQ(QuotaPanelStyles::fromStoredValue(std::nullopt), QuotaPanelStyle::system);

    EXPECT_EQ(QuotaPanelStyles::fromRawValue("system"), QuotaPanelStyle::system);
    EXPECT_EQ(QuotaPanelStyles::fromRawValue("dashboard"), QuotaPanelStyle::dashboard);
    EXPECT_EQ(QuotaPanelStyles::fromRawValue("nonsense"), std::nullopt);
    EXPECT_EQ(QuotaPanelStyles::fromRawValue("Dashboard"), std::nullopt);

    EXPECT_EQ(QuotaPanelStyles::displayName(QuotaPanelStyle::system), "Apple 系统");
    EXPECT_EQ(QuotaPanelStyles::displayName(QuotaPanelStyle::dashboard), "信息面板");
    EXPECT_EQ(QuotaPanelStyles::allCases[0], QuotaPanelStyle::system);
}

TEST(CodexPlanTierTests, PlanTypesMapToTiersAfterTrimmingAndLowerCasing)
{
    struct Case {
        std::string rawPlanType;
        CodexPlanTier expected;
    };
    const std::vector<Case> cases = {
        {"plus", CodexPlanTier::plus()},
        {"  PRO \n", CodexPlanTier::proTwentyX()},
        {"ProLite", CodexPlanTier::proFiveX()},
        {"\u00A0\tplus\u3000", CodexPlanTier::plus()},
        {"pro_lite", CodexPlanTier::other("CODEX")},
        {"pro lite", CodexPlanTier::other("CODEX")},
        {"team", CodexPlanTier::other("BUSINESS")},
        {"self_serve_business_usage_based", CodexPlanTier::other("BUSINESS")},
        {"business", CodexPlanTier::other("ENTERPRISE")},
        {"enterprise_cbp_usage_based", CodexPlanTier::other("ENTERPRISE")},
        {"Enterprise", CodexPlanTier::other("ENTERPRISE")},
        {"edu", CodexPlanTier::other("EDU")},
        {"education", CodexPlanTier::other("EDU")},
        {"free", CodexPlanTier::other("FREE")},
        {"GO", CodexPlanTier::other("GO")},
        {"", CodexPlanTier::other("CODEX")},
        {" \n ", CodexPlanTier::other("CODEX")},
        {"platinum", CodexPlanTier::other("CODEX")},
    };
    for (const Case &testCase : cases)
        EXPECT_EQ(CodexPlanTier(testCase.rawPlanType), testCase.expected) << testCase.rawPlanType;
}

TEST(CodexPlanTierTests, DisplayNamesAndEquality)
{
    EXPECT_EQ(CodexPlanTier::plus().displayName(), "PLUS");
    EXPECT_EQ(CodexPlanTier::proFiveX().displayName(), "PRO 5\u00D7");
    EXPECT_EQ(CodexPlanTier::proTwentyX().displayName(), "PRO 20\u00D7");
    EXPECT_EQ(CodexPlanTier("free").displayName(), "FREE");
    EXPECT_EQ(CodexPlanTier::other("EDU"), CodexPlanTier::other("EDU"));
    EXPECT_NE(CodexPlanTier::other("EDU"), CodexPlanTier::other("FREE"));
    EXPECT_NE(CodexPlanTier::other("PLUS"), CodexPlanTier::plus());
}
