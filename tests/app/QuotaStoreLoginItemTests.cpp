#include "QuotaStoreTestFixture.h"
#include "XdgAutostartLoginItem.h"

namespace pulsegrove::testing {
namespace {

using QuotaStoreLoginItemTest = QuotaStoreTest;

const QString unsupported = QString::fromUtf8("当前应用位置不支持开机启动，请重新运行安装脚本。");

TEST_F(QuotaStoreLoginItemTest, ConstructionReadsTheStatus)
{
    m_loginItem->setStatus(LoginItemStatus::requiresApproval);
    auto store = makeStore();
    EXPECT_TRUE(store->launchAtLogin());
    EXPECT_TRUE(store->launchAtLoginNeedsApproval());
    EXPECT_TRUE(store->canManageLaunchAtLogin());

    m_loginItem->setStatus(LoginItemStatus::enabled);
    auto withoutSettings = makeStore(unreachableClient(), false);
    EXPECT_FALSE(withoutSettings->launchAtLogin());
    EXPECT_FALSE(withoutSettings->canManageLaunchAtLogin());
}

TEST_F(QuotaStoreLoginItemTest, EnablingAndDisablingRegisterAndUnregister)
{
    auto store = makeStore();
    store->setLaunchAtLogin(true);
    EXPECT_EQ(m_loginItem->registerCalls, 1);
    EXPECT_TRUE(store->launchAtLogin());
    store->setLaunchAtLogin(true);
    EXPECT_EQ(m_loginItem->registerCalls, 1) << "an enabled item was registered again";
    store->setLaunchAtLogin(false);
    EXPECT_EQ(m_loginItem->unregisterCalls, 1);
    EXPECT_FALSE(store->launchAtLogin());
    EXPECT_EQ(store->launchAtLoginErrorMessage(), std::nullopt);
}

TEST_F(QuotaStoreLoginItemTest, AMissingApplicationGivesTheInstallMessage)
{
    m_loginItem->setStatus(LoginItemStatus::notFound);
    auto store = makeStore();
    store->setLaunchAtLogin(true);
    EXPECT_EQ(store->launchAtLoginErrorMessage(), unsupported);
    EXPECT_EQ(m_loginItem->registerCalls, 0);
    // Disabling a missing item has nothing to do and clears the message.
    store->setLaunchAtLogin(false);
    EXPECT_EQ(store->launchAtLoginErrorMessage(), std::nullopt);
}

TEST_F(QuotaStoreLoginItemTest, FailuresShowTheSystemsMessageAfterTheFixedSentence)
{
    auto store = makeStore();
    m_loginItem->failureMessage = "Permission denied";
    store->setLaunchAtLogin(true);
    EXPECT_EQ(store->launchAtLoginErrorMessage(), QString::fromUtf8("开机启动设置失败：Permission denied"));
    EXPECT_FALSE(store->launchAtLogin());

    // Opening a surface clears the message only once the item is really registered.
    store->refreshLaunchAtLoginState();
    EXPECT_TRUE(store->launchAtLoginErrorMessage());
    m_loginItem->setStatus(LoginItemStatus::enabled);
    store->refreshLaunchAtLoginState();
    EXPECT_EQ(store->launchAtLoginErrorMessage(), std::nullopt);
    EXPECT_TRUE(store->launchAtLogin());
}

TEST_F(QuotaStoreLoginItemTest, OutsideAnAppBundleOrWithoutSystemSettingsNothingHappens)
{
    m_bundle = MainBundle("/work/build/pulsegrove");
    auto buildTree = makeStore();
    auto withoutSettings = makeStore(unreachableClient(), false);
    const int readsBefore = m_loginItem->statusReads;
    for (auto *store : {buildTree.get(), withoutSettings.get()}) {
        QSignalSpy willChange(store, &QuotaStore::objectWillChange);
        store->setLaunchAtLogin(true);
        EXPECT_EQ(willChange.count(), 0);
    }
    withoutSettings->refreshLaunchAtLoginState();
    EXPECT_EQ(m_loginItem->statusReads, readsBefore);
    EXPECT_EQ(m_loginItem->registerCalls, 0);
}

TEST_F(QuotaStoreLoginItemTest, TheAutostartEntryFollowsTheSwitch)
{
    const Environment environment(
        {{"HOME", m_home.path().string()}, {"XDG_CONFIG_HOME", (m_home.path() / "config").string()}});
    auto autostart = std::make_shared<XdgAutostartLoginItem>(XdgAutostartLoginItem::forBundle(
        MainBundle(m_home.path() / "Pulsegrove.app/bin/pulsegrove"), environment));
    m_loginItem = nullptr;
    auto services = this->services();
    services.loginItem = autostart;
    services.mainBundle = MainBundle(m_home.path() / "Pulsegrove.app/bin/pulsegrove");
    QuotaStore store(unreachableClient(), m_cache, m_defaults, true, services, clock());
    EXPECT_FALSE(store.launchAtLogin());

    store.setLaunchAtLogin(true);
    EXPECT_TRUE(std::filesystem::exists(m_home.path() / "config/autostart/io.velorn.Pulsegrove.desktop"));
    EXPECT_TRUE(store.launchAtLogin());

    // A file where the folder belongs makes the next registration fail with the system's text.
    store.setLaunchAtLogin(false);
    std::filesystem::remove_all(m_home.path() / "config/autostart");
    m_home.writeFile("config/autostart", "");
    store.setLaunchAtLogin(true);
    ASSERT_TRUE(store.launchAtLoginErrorMessage());
    EXPECT_TRUE(store.launchAtLoginErrorMessage()->startsWith(QString::fromUtf8("开机启动设置失败：")));
    EXPECT_GT(store.launchAtLoginErrorMessage()->size(), QString::fromUtf8("开机启动设置失败：").size());
    EXPECT_FALSE(store.launchAtLogin());
}

} // namespace
} // namespace pulsegrove::testing
