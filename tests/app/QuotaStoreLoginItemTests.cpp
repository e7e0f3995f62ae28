#include "QuotaStoreTestFixture.h"

namespace pulsegrove::testing {
namespace {

using QuotaStoreLoginItemTest = QuotaStoreTest;

TEST_F(QuotaStoreLoginItemTest, EnablingAndDisablingRegisterAndUnregisterOnlyWhenNeeded)
{
    auto store = makeStore();
    store->setLaunchAtLogin(true);
    store->setLaunchAtLogin(true);
    EXPECT_EQ(m_loginItem->registerCalls, 1);
    EXPECT_TRUE(store->launchAtLogin());
    store->setLaunchAtLogin(false);
    store->setLaunchAtLogin(false);
    EXPECT_EQ(m_loginItem->unregisterCalls, 1);
    EXPECT_FALSE(store->launchAtLogin());
}

TEST_F(QuotaStoreLoginItemTest, AMissingApplicationOrAFailureShowsAMessageUntilTheNextSuccess)
{
    auto store = makeStore();
    m_loginItem->setStatus(LoginItemStatus::notFound);
    store->setLaunchAtLogin(true);
    EXPECT_EQ(store->launchAtLoginErrorMessage(),
              QString::fromUtf8("当前应用位置不支持开机启动，请重新运行安装脚本。"));
    EXPECT_EQ(m_loginItem->registerCalls, 0);
    // Disabling a missing item has nothing to do and clears the message.
    store->setLaunchAtLogin(false);
    EXPECT_EQ(store->launchAtLoginErrorMessage(), std::nullopt);

    m_loginItem->setStatus(LoginItemStatus::notRegistered);
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
    m_loginItem->setStatus(LoginItemStatus::requiresApproval);
    EXPECT_TRUE(makeStore()->launchAtLoginNeedsApproval());
    auto preview = makeStore(false);
    EXPECT_FALSE(preview->launchAtLogin() || preview->launchAtLoginNeedsApproval() ||
                 preview->canManageLaunchAtLogin());
    m_bundle = MainBundle("/work/build/pulsegrove");
    auto buildTree = makeStore();
    const int readsBefore = m_loginItem->statusReads;
    for (auto *store : {buildTree.get(), preview.get()}) {
        QSignalSpy willChange(store, &QuotaStore::objectWillChange);
        store->setLaunchAtLogin(true);
        EXPECT_EQ(willChange.count(), 0);
    }
    preview->refreshLaunchAtLoginState();
    EXPECT_EQ(m_loginItem->statusReads, readsBefore);
    EXPECT_EQ(m_loginItem->registerCalls, 0);
}

} // namespace
} // namespace pulsegrove::testing
