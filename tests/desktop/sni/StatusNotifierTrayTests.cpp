#include "DesktopSession.h"
#include "FakeStatusNotifierWatcher.h"
#include "StatusItemApplication.h"
#include "TrayClickFilter.h"
#include "views/primitives/ViewFonts.h"

#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

DesktopSession *session = nullptr;
FakeStatusNotifierWatcher *watcher = nullptr;
std::string unavailableReason;
std::string startFailure;

// The status item on a desktop whose tray speaks StatusNotifierItem, as KDE Plasma and GNOME with
// the AppIndicator extension do: the test is the host, reading the item's properties and calling
// its methods over the bus like a panel does.
class StatusNotifierTray : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!unavailableReason.empty())
            GTEST_SKIP() << unavailableReason;
        ASSERT_TRUE(session && watcher) << "the private desktop did not start: " << startFailure;
        m_app = std::make_unique<StatusItemApplication>();
        m_store = m_app->store.get();
        m_controller = m_app->controller.get();
        m_store->refresh(true);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_controller->statusItem().title() == QStringLiteral("40%"); }, 30000));
    }

    // Calls the item over the bus from another process, while this one keeps serving the bus.
    QString busCall(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral("dbus-send"),
                      QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                  QStringLiteral("--dest=") + itemService(),
                                  QStringLiteral("/StatusNotifierItem")} +
                          arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QString property(const char *name)
    {
        return busCall({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                        QStringLiteral("string:org.kde.StatusNotifierItem"),
                        QStringLiteral("string:") + QLatin1String(name)});
    }
    QString itemService() const { return watcher->registeredItems().value(0); }

    std::unique_ptr<StatusItemApplication> m_app;
    QuotaStore *m_store = nullptr;
    StatusBarController *m_controller = nullptr;
};

TEST_F(StatusNotifierTray, TheItemRegistersWithItsIconToolTipAndMenuAndActivationOpensThePopover)
{
    StatusItem &item = m_controller->statusItem();
    ASSERT_TRUE(item.hasButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !itemService().isEmpty(); }, 10000)) << "no item registered";
    // A host draws the item itself and tells nothing of where: the popover goes to the pointer.
    EXPECT_FALSE(item.buttonGeometry().isValid() && !item.buttonGeometry().isEmpty());

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return property("ToolTip").contains(QStringLiteral("5 小时剩余 75%")); }, 5000))
        << property("ToolTip").toStdString();
    const QString pixmaps = property("IconPixmap");
    for (const int size : {16, 22, 24, 32, 48, 64})
        EXPECT_TRUE(pixmaps.contains(QStringLiteral("int32 %1\n").arg(size))) << size;
    EXPECT_TRUE(property("Menu").contains(QStringLiteral("object path"))) << "the menu is exported";

    m_store->setPanelStyle(QuotaPanelStyle::dashboard, true);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_controller->appliedStyle() == QuotaPanelStyle::dashboard; }, 5000));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_TRUE(session->run({"xdotool", "mousemove", std::to_string(screen.right() - 10), "5"}));
    QTest::qWait(TrayClickFilter::debounceMilliseconds + 50);
    busCall({QStringLiteral("org.kde.StatusNotifierItem.Activate"), QStringLiteral("int32:0"),
             QStringLiteral("int32:0")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->isPopoverShown(); }, 5000));
    const QRect frame = m_controller->popover().frameGeometry();
    EXPECT_TRUE(screen.contains(frame));
    EXPECT_EQ(frame.top(), 5 + 1 + 4) << "just under the pointer";
    ASSERT_TRUE(session->run({"xdotool", "key", "Escape"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_controller->isPopoverShown(); }, 5000));
    EXPECT_TRUE(m_store->visibleSurfaces().isEmpty());
}

} // namespace
} // namespace pulsegrove::testing

using namespace pulsegrove::testing;

// The private desktop and the watcher come first: the toolkit looks for a watcher once, when the
// first tray icon is made.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const auto desktop =
        DesktopSession::startHere(DesktopSession::Tray::none, unavailableReason, startFailure);
    int result = 0;
    {
        QApplication application(argc, argv);
        pulsegrove::ViewFonts::applyApplicationFont();
        QThread watcherThread;
        auto *fakeWatcher = new FakeStatusNotifierWatcher;
        if (desktop) {
            auto bus = QDBusConnection::connectToBus(QString::fromStdString(desktop->busAddress()),
                                                     QStringLiteral("watcher"));
            if (bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), fakeWatcher,
                                   QDBusConnection::ExportScriptableContents) &&
                bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
                watcher = fakeWatcher;
            else
                startFailure = "the watcher could not be put on the bus";
            fakeWatcher->moveToThread(&watcherThread);
            watcherThread.start();
        }
        session = desktop.get();
        result = RUN_ALL_TESTS();
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
        // Deleted in its own thread, where the bus expects its signals.
        if (watcherThread.isRunning())
            QMetaObject::invokeMethod(
                fakeWatcher, [fakeWatcher] { delete fakeWatcher; }, Qt::BlockingQueuedConnection);
        else
            delete fakeWatcher;
        watcherThread.quit();
        watcherThread.wait();
    }
    return result;
}
