#include "QuotaStoreTestFixture.h"
#include "preferences/PulsegrovePreferenceKeys.h"

namespace pulsegrove::testing {
namespace {

using QuotaStorePreferencesTest = QuotaStoreTest;
using Keys = PulsegrovePreferenceKeys;

TEST_F(QuotaStorePreferencesTest, StartsFromTheStoredPreferences)
{
    m_defaults->setString(QuotaStore::panelStyleKey, "dashboard");
    m_defaults->setStringList(Keys::hiddenModules, {"sparkQuota", "Sparkquota", "unknown"});
    m_defaults->setBool(Keys::showDockIcon, false);
    m_defaults->setString(Keys::theme, "sunset");
    m_defaults->setBool(Keys::automaticallyChecksForUpdates, false);
    auto store = makeStore();
    EXPECT_EQ(store->panelStyle(), QuotaPanelStyle::dashboard);
    auto expected = QuotaModules::allModules();
    expected.erase(QuotaModule::sparkQuota);
    EXPECT_EQ(store->visibleModules(), expected);
    EXPECT_FALSE(store->showDockIcon());
    EXPECT_EQ(store->theme(), QuotaThemeID::sunset);
    EXPECT_FALSE(store->automaticallyChecksForUpdates());
}

TEST_F(QuotaStorePreferencesTest, AnUnknownThemeOrAMistypedFlagGivesTheDefault)
{
    m_defaults->setString(Keys::theme, "neon");
    m_defaults->setString(Keys::showDockIcon, "false");
    auto store = makeStore();
    EXPECT_EQ(store->theme(), QuotaThemeID::aurora);
    EXPECT_TRUE(store->showDockIcon());
}

TEST_F(QuotaStorePreferencesTest, HiddenModulesAreStoredSortedWhateverTheOrderOfCalls)
{
    auto store = makeStore();
    store->setModuleVisible(QuotaModule::systemMetrics, false);
    store->setModuleVisible(QuotaModule::resetCredits, false);
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules),
              (std::vector<std::string>{"resetCredits", "systemMetrics"}));
    // Sorted by text, not in the order of the module list.
    store->setModuleVisible(QuotaModule::standardQuota, false);
    store->setModuleVisible(QuotaModule::resetHints, false);
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules),
              (std::vector<std::string>{"resetCredits", "resetHints", "standardQuota", "systemMetrics"}));

    store->showAllModules();
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules), std::vector<std::string>{});
    EXPECT_EQ(store->visibleModules(), QuotaModules::allModules());
}

TEST_F(QuotaStorePreferencesTest, UnchangedModulesThemeAndUpdateChecksWriteNothing)
{
    auto store = makeStore();
    QSignalSpy willChange(store.get(), &QuotaStore::objectWillChange);
    store->setModuleVisible(QuotaModule::standardQuota, true);
    store->showAllModules();
    store->setTheme(QuotaThemeID::aurora);
    store->setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(willChange.count(), 0);
    for (const char *key : {Keys::hiddenModules, Keys::theme, Keys::automaticallyChecksForUpdates})
        EXPECT_FALSE(m_defaults->containsKey(key)) << key;

    store->setTheme(QuotaThemeID::graphite);
    store->setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(willChange.count(), 2);
    EXPECT_EQ(m_defaults->stringValue(Keys::theme), "graphite");
    EXPECT_EQ(m_defaults->boolValue(Keys::automaticallyChecksForUpdates), false);
}

TEST_F(QuotaStorePreferencesTest, PanelStyleIsWrittenWhenPersistedEvenIfUnchanged)
{
    auto store = makeStore();
    QSignalSpy changes(store.get(), &QuotaStore::panelStyleChanged);
    store->setPanelStyle(QuotaPanelStyle::system, true);
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "system");
    EXPECT_EQ(changes.count(), 0);
    store->setPanelStyle(QuotaPanelStyle::dashboard, false);
    EXPECT_EQ(store->panelStyle(), QuotaPanelStyle::dashboard);
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "system");
    store->setPanelStyle(QuotaPanelStyle::dashboard, true);
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "dashboard");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(QuotaStorePreferencesTest, DockIconIsAlwaysWrittenAndSwitchesThePolicyOnlyWithSystemSettings)
{
    auto store = makeStore();
    store->setShowDockIcon(true);
    EXPECT_EQ(m_defaults->boolValue(Keys::showDockIcon), true);
    EXPECT_TRUE(m_activation->policyChanges.empty()) << "the policy was already regular";
    EXPECT_EQ(m_activation->activations, std::vector<bool>{true});
    store->setShowDockIcon(false);
    EXPECT_FALSE(store->showDockIcon());
    EXPECT_EQ(m_defaults->boolValue(Keys::showDockIcon), false);
    EXPECT_EQ(m_activation->policyChanges, std::vector<ActivationPolicy>{ActivationPolicy::accessory});
    EXPECT_EQ(m_activation->activations.size(), 1u);

    auto preview = makeStore(false);
    preview->setShowDockIcon(true);
    EXPECT_EQ(m_defaults->boolValue(Keys::showDockIcon), true);
    EXPECT_EQ(m_activation->policyChanges.size(), 1u);
    EXPECT_EQ(m_activation->activations.size(), 1u);
}

} // namespace
} // namespace pulsegrove::testing
