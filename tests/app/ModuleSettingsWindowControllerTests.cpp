#include "QtApplicationActivation.h"
#include "SettingsTestFixture.h"
#include "settings/ModuleSettingsView.h"
#include "settings/ModuleSettingsWindowController.h"
#include "views/primitives/ThemedButton.h"

#include <QPointer>
#include <QTest>

namespace pulsegrove::testing {
namespace {

using ModuleSettingsWindowControllerTest = SettingsTest;

// Runs deferred deletions, so a dropped view is really gone.
void flushDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Presenting builds the view once; closing drops it; presenting again builds a new one in the
// same window, at the same place and size, and so checks for updates again while idle.
TEST_F(ModuleSettingsWindowControllerTest, ClosingDropsTheContentAndPresentingRebuildsIt)
{
    ModuleSettingsWindowController controller(*m_store);
    QWidget *window = controller.window();
    controller.present();
    EXPECT_EQ(controller.updateStore().state(), RemoteUpdateState::checking())
        << "automatic check on showing";
    QPointer<ModuleSettingsView> first = controller.contentView();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    controller.present();
    EXPECT_EQ(controller.contentView(), first.data());

    window->resize(500, 700);
    window->move(40, 50);
    const QRect placed = window->geometry();
    window->close();
    EXPECT_EQ(controller.contentView(), nullptr);
    flushDeletions();
    EXPECT_TRUE(first.isNull());
    QCoreApplication::processEvents();
    EXPECT_EQ(controller.updateStore().state(), RemoteUpdateState::idle()) << "the view's check went with it";

    controller.present();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_NE(controller.contentView(), nullptr);
    EXPECT_EQ(window->geometry(), placed);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !controller.updateStore().state().is<RemoteUpdateState::Checking>(); }));
    // The update store outlives its views: a new view shows where the last check ended.
    window->close();
    controller.present();
    EXPECT_EQ(controller.updateStore().statusText(),
              QStringLiteral("暂时无法检查更新；不会下载或执行任何文件"));

    // Hidden for a quota surface: off screen, content dropped, without a close.
    QPointer<ModuleSettingsView> second = controller.contentView();
    controller.hideAndDropContent();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(controller.contentView(), nullptr);
    flushDeletions();
    EXPECT_TRUE(second.isNull());
}

// "完成" inside the window closes that window, which drops the view that was pressed.
TEST_F(ModuleSettingsWindowControllerTest, DoneClosesTheWindowFromItsOwnButton)
{
    ModuleSettingsWindowController controller(*m_store);
    controller.present();
    QPointer<ModuleSettingsView> view = controller.contentView();
    QTest::mouseClick(view->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_EQ(controller.contentView(), nullptr);
    flushDeletions();
    EXPECT_TRUE(view.isNull());
}

// Each showing re-reads the login item; a store that may not touch system settings is left as
// it is, and the window still shows.
TEST_F(ModuleSettingsWindowControllerTest, EachShowingRefreshesTheLoginItemState)
{
    ModuleSettingsWindowController controller(*m_store);
    m_loginItem->setStatus(LoginItemStatus::enabled);
    EXPECT_FALSE(m_store->launchAtLogin());
    controller.present();
    EXPECT_TRUE(m_store->launchAtLogin());
    m_loginItem->setStatus(LoginItemStatus::notRegistered);
    controller.present();
    EXPECT_FALSE(m_store->launchAtLogin());

    auto restricted = makeStore(false);
    ModuleSettingsWindowController restrictedController(*restricted);
    const int reads = m_loginItem->statusReads;
    m_loginItem->setStatus(LoginItemStatus::enabled);
    restrictedController.present();
    EXPECT_EQ(m_loginItem->statusReads, reads);
    EXPECT_FALSE(restricted->launchAtLogin());
    EXPECT_TRUE(restrictedController.window()->isVisible());
}

// Without a taskbar entry (the window becomes a tool window) presenting still brings the window
// to the front with the focus, and restores it when minimised.
TEST_F(ModuleSettingsWindowControllerTest, PresentingActivatesTheWindowWithoutATaskbarEntry)
{
    QtApplicationActivation activation;
    activation.setActivationPolicy(ActivationPolicy::accessory);
    ModuleSettingsWindowController controller(*m_store);
    controller.present();
    EXPECT_TRUE(QTest::qWaitForWindowActive(controller.window()));
    EXPECT_EQ(controller.window()->windowType(), Qt::Tool);
    // Already on screen behind another window: presenting again is what brings it forward.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    controller.present();
    EXPECT_TRUE(QTest::qWaitForWindowActive(controller.window()));
    // A minimised window comes back too.
    controller.window()->showMinimized();
    controller.present();
    EXPECT_FALSE(controller.window()->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(controller.window()->isVisible());
    activation.setActivationPolicy(ActivationPolicy::regular);
    EXPECT_EQ(controller.window()->windowType(), Qt::Window);
}

} // namespace
} // namespace pulsegrove::testing
