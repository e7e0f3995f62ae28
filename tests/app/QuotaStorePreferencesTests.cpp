#include "QuotaStoreTestFixture.h"
#include "preferences/PulsegrovePreferenceKeys.h"

namespace pulsegrove::testing {
namespace {

using QuotaStorePreferencesTest = QuotaStoreTest;
using Keys = PulsegrovePreferenceKeys;

TEST_F(QuotaStorePreferencesTest, StartsFromTheStoredPreferencesWithDefaultsForUnknownOrMistypedOnes)
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

    m_defaults->setString(Keys::theme, "neon");
    m_defaults->setString(Keys::showDockIcon, "false");
    store = makeStore();
    EXPECT_EQ(store->theme(), QuotaThemeID::aurora);
    EXPECT_TRUE(store->showDockIcon());
}

TEST_F(QuotaStorePreferencesTest, HiddenModulesAreStoredSortedByNameWhateverTheOrderOfCalls)
{
    auto store = makeStore();
    for (const auto module : {QuotaModule::systemMetrics, QuotaModule::resetCredits,
                              QuotaModule::standardQuota, QuotaModule::resetHints})
        store->setModuleVisible(module, false);
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules),
              (std::vector<std::string>{"resetCredits", "resetHints", "standardQuota", "systemMetrics"}));

    store->showAllModules();
    EXPECT_EQ(m_defaults->stringListValue(Keys::hiddenModules), std::vector<std::string>{});
    EXPECT_EQ(store->visibleModules(), QuotaModules::allModules());
}

TEST_F(QuotaStorePreferencesTest, UnchangedValuesAnnounceAndWriteNothingSaveAPersistedPanelStyle)
{
    auto store = makeStore();
    QSignalSpy willChange(store.get(), &QuotaStore::objectWillChange);
    QSignalSpy panelStyleChanges(store.get(), &QuotaStore::panelStyleChanged);
    store->setModuleVisible(QuotaModule::standardQuota, true);
    store->showAllModules();
    store->setTheme(QuotaThemeID::aurora);
    store->setAutomaticallyChecksForUpdates(true);
    store->setPanelStyle(QuotaPanelStyle::system, true);
    EXPECT_EQ(willChange.count(), 0);
    for (const char *key : {Keys::hiddenModules, Keys::theme, Keys::automaticallyChecksForUpdates})
        EXPECT_FALSE(m_defaults->containsKey(key)) << key;
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "system");

    // A style chosen only for the moment is shown but not kept.
    store->setPanelStyle(QuotaPanelStyle::dashboard, false);
    EXPECT_EQ(willChange.count(), 1);
    EXPECT_EQ(store->panelStyle(), QuotaPanelStyle::dashboard);
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "system");
    store->setPanelStyle(QuotaPanelStyle::dashboard, true);
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "dashboard");
    EXPECT_EQ(panelStyleChanges.count(), 1);
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

    makeStore(false)->setShowDockIcon(true);
    EXPECT_EQ(m_defaults->boolValue(Keys::showDockIcon), true);
    EXPECT_EQ(m_activation->policyChanges.size(), 1u);
    EXPECT_EQ(m_activation->activations.size(), 1u);
}

// A write that fails on the disk is reported once, and the chosen theme stays, in the store as in
// the defaults the colours are read from, until a retry writes it.
TEST_F(QuotaStorePreferencesTest, AThemeThatCannotBeWrittenYetIsReportedAndStaysUntilItIsWritten)
{
    const auto blocker = m_home.writeFile("config/Pulsegrove", "not a folder");
    auto store = makeStore();
    QSignalSpy themes(store.get(), &QuotaStore::themeChanged);
    QSignalSpy failures(store.get(), &QuotaStore::preferenceWriteFailed);
    store->setTheme(QuotaThemeID::violet);
    EXPECT_FALSE(m_defaults->flush());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures.count() == 1; }));
    store->setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(m_defaults->flush());
    processEvents();
    EXPECT_EQ(failures.count(), 1) << "the same failure again is not news";
    EXPECT_EQ(store->theme(), QuotaThemeID::violet);
    EXPECT_EQ(m_defaults->stringValue(Keys::theme), "violet");
    EXPECT_EQ(themes.count(), 1);

    std::filesystem::remove(blocker);
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(m_defaults->fileURL()); }, 60000));
    m_defaults->flush();
    const auto stored = TemporaryDirectory::readFile(m_defaults->fileURL());
    EXPECT_NE(stored.find("\"violet\""), std::string::npos) << stored;
    EXPECT_EQ(store->theme(), QuotaThemeID::violet);
    EXPECT_FALSE(store->automaticallyChecksForUpdates());
}

} // namespace
} // namespace pulsegrove::testing
