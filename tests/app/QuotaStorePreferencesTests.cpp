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

TEST_F(QuotaStorePreferencesTest, MissingOrMistypedValuesGiveTheDefaults)
{
    m_defaults->setString(QuotaStore::panelStyleKey, "Dashboard");
    m_defaults->setString(Keys::hiddenModules, "systemMetrics");
    m_defaults->setString(Keys::showDockIcon, "false");
    m_defaults->setString(Keys::theme, "neon");
    m_defaults->setNumber(Keys::automaticallyChecksForUpdates, 0);
    auto store = makeStore();
    EXPECT_EQ(store->panelStyle(), QuotaPanelStyle::system);
    EXPECT_EQ(store->visibleModules(), QuotaModules::allModules());
    EXPECT_TRUE(store->showDockIcon());
    EXPECT_EQ(store->theme(), QuotaThemeID::aurora);
    EXPECT_TRUE(store->automaticallyChecksForUpdates());
}

TEST_F(QuotaStorePreferencesTest, ACorruptDefaultsFileGivesTheDefaultsAndIsReplacedOnTheNextWrite)
{
    m_home.writeFile(m_defaults->fileURL().lexically_relative(m_home.path()),
                     "{\"io.velorn.Pulsegrove.theme.v1\": \"vio");
    auto store = makeStore();
    EXPECT_EQ(store->theme(), QuotaThemeID::aurora);
    EXPECT_EQ(store->visibleModules(), QuotaModules::allModules());
    store->setTheme(QuotaThemeID::emerald);
    EXPECT_EQ(UserDefaults(UserDefaults::standardSuiteName, environment()).stringValue(Keys::theme),
              "emerald");
}

TEST_F(QuotaStorePreferencesTest, HiddenModulesAreStoredSortedWhateverTheOrderOfCalls)
{
    auto store = makeStore();
    QSignalSpy changes(store.get(), &QuotaStore::visibleModulesChanged);
    store->setModuleVisible(QuotaModule::systemMetrics, false);
    store->setModuleVisible(QuotaModule::resetCredits, false);
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules),
              (std::vector<std::string>{"resetCredits", "systemMetrics"}));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_FALSE(store->visibleModules().count(QuotaModule::resetCredits));

    // Sorted by text, not by the order of the settings list.
    store->setModuleVisible(QuotaModule::standardQuota, false);
    store->setModuleVisible(QuotaModule::resetHints, false);
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules),
              (std::vector<std::string>{"resetCredits", "resetHints", "standardQuota", "systemMetrics"}));

    store->showAllModules();
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules), std::vector<std::string>{});
    EXPECT_EQ(store->visibleModules(), QuotaModules::allModules());
}

TEST_F(QuotaStorePreferencesTest, UnchangedModulesWriteNothing)
{
    auto store = makeStore();
    QSignalSpy willChange(store.get(), &QuotaStore::objectWillChange);
    store->setModuleVisible(QuotaModule::standardQuota, true);
    store->showAllModules();
    EXPECT_FALSE(m_defaults->containsKey(Keys::hiddenModules));
    EXPECT_EQ(willChange.count(), 0);
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

TEST_F(QuotaStorePreferencesTest, ThemeAndUpdateChecksAreWrittenOnlyWhenChanged)
{
    auto store = makeStore();
    store->setTheme(QuotaThemeID::aurora);
    store->setAutomaticallyChecksForUpdates(true);
    EXPECT_FALSE(m_defaults->containsKey(Keys::theme));
    EXPECT_FALSE(m_defaults->containsKey(Keys::automaticallyChecksForUpdates));
    store->setTheme(QuotaThemeID::graphite);
    store->setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(m_defaults->stringValue(Keys::theme), "graphite");
    EXPECT_EQ(m_defaults->boolValue(Keys::automaticallyChecksForUpdates), false);
    EXPECT_EQ(makeStore()->theme(), QuotaThemeID::graphite);
}

TEST_F(QuotaStorePreferencesTest, DockIconIsAlwaysWrittenAndSwitchesThePolicy)
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
}

TEST_F(QuotaStorePreferencesTest, WithoutSystemSettingsTheDockIconIsOnlyStored)
{
    auto store = makeStore(unreachableClient(), false);
    store->setShowDockIcon(false);
    store->setShowDockIcon(true);
    EXPECT_EQ(m_defaults->boolValue(Keys::showDockIcon), true);
    EXPECT_TRUE(m_activation->policyChanges.empty());
    EXPECT_TRUE(m_activation->activations.empty());
}

TEST_F(QuotaStorePreferencesTest, AnUnwritableDefaultsFileKeepsTheValueForThisRun)
{
    // A folder where the suite's file belongs: every write fails.
    std::filesystem::create_directories(m_defaults->fileURL());
    auto store = makeStore();
    store->setTheme(QuotaThemeID::violet);
    store->setModuleVisible(QuotaModule::sparkQuota, false);
    EXPECT_EQ(store->theme(), QuotaThemeID::violet);
    EXPECT_FALSE(store->visibleModules().count(QuotaModule::sparkQuota));
}

TEST_F(QuotaStorePreferencesTest, ThePublicHandlersStartEmptyAndAreNeverCalledByTheStore)
{
    auto store = makeStore();
    EXPECT_FALSE(store->moduleSettingsRequestHandler);
    EXPECT_FALSE(store->usageAnalyticsRequestHandler);
    int calls = 0;
    store->moduleSettingsRequestHandler = [&] { ++calls; };
    store->usageAnalyticsRequestHandler = [&] { ++calls; };
    store->showAllModules();
    store->setShowDockIcon(false);
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace pulsegrove::testing
