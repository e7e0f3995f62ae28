#include "LinuxTrayHost.h"
#include "PrivateMessageBus.h"
#include "TrayClickFilter.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace pulsegrove {
namespace {

// Reports in order, each with the milliseconds since the first, and whether it was a click.
TEST(TrayClickFilterTests, CountsSingleAndDoubleClicksOnceWithinTheDebounceWindow)
{
    using Reason = QSystemTrayIcon::ActivationReason;
    const std::vector<std::tuple<Reason, qint64, bool>> reports = {
        {QSystemTrayIcon::Trigger, 1000, true},
        // The double click that an XEmbed tray sends right after the trigger is the same gesture.
        {QSystemTrayIcon::DoubleClick, 1150, false},
        {QSystemTrayIcon::Trigger, 1199, false},
        {QSystemTrayIcon::Trigger, 1350, true},
        // GNOME's AppIndicator extension sends only the double click.
        {QSystemTrayIcon::DoubleClick, 2000, true},
        {QSystemTrayIcon::Context, 2100, false},
        {QSystemTrayIcon::MiddleClick, 2150, false},
        {QSystemTrayIcon::Unknown, 2190, false},
        // Reports that are not clicks do not restart the window: 200 ms after the last click.
        {QSystemTrayIcon::Trigger, 2200, true},
        // A clock that went backwards must not swallow clicks forever.
        {QSystemTrayIcon::Trigger, 100, true},
    };
    TrayClickFilter filter;
    for (const auto &[reason, milliseconds, isClick] : reports)
        EXPECT_EQ(filter.accept(reason, milliseconds), isClick) << milliseconds;
}

TEST(LinuxTrayHostTests, ReadsTheScreenNumberOfADisplayName)
{
    const std::vector<std::pair<QByteArray, int>> cases = {
        {":0", 0}, {":1.2", 2}, {"host:10.1", 1}, {"", 0}, {":3.", 0}, {":0.x", 0}, {"[::1]:0.1", 1},
    };
    for (const auto &[display, screen] : cases)
        EXPECT_EQ(LinuxTrayHost::screenNumber(display), screen) << display.constData();
}

// A private bus on which the test plays the desktop's StatusNotifierWatcher coming and going.
TEST(LinuxTrayHostTests, FollowsTheStatusNotifierWatcherOnTheSessionBus)
{
    if (!testing::PrivateMessageBus::isAvailable())
        GTEST_SKIP() << "dbus-daemon is not available";
    testing::PrivateMessageBus bus;
    const auto address = bus.start();
    ASSERT_FALSE(address.isEmpty()) << "dbus-daemon printed no address";
    {
        auto application = QDBusConnection::connectToBus(address, QStringLiteral("application"));
        auto desktop = QDBusConnection::connectToBus(address, QStringLiteral("desktop"));
        ASSERT_TRUE(application.isConnected() && desktop.isConnected());
        const QString watcher = QString::fromLatin1(LinuxTrayHost::statusNotifierWatcherService);

        // The offscreen platform has no X11 tray, so only the bus decides.
        LinuxTrayHost host(application);
        EXPECT_EQ(host.kind(), TrayHostKind::none);
        QSignalSpy changes(&host, &TrayHost::kindChanged);
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(desktop.registerService(watcher));
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return host.kind() == TrayHostKind::statusNotifierItem; }, 10000));
            ASSERT_TRUE(desktop.unregisterService(watcher));
            ASSERT_TRUE(QTest::qWaitFor([&] { return host.kind() == TrayHostKind::none; }, 10000));
        }
        EXPECT_EQ(changes.count(), 4);
        EXPECT_EQ(host.popupPlacement(), PopupPlacement::anchored);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("application"));
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
}

} // namespace
} // namespace pulsegrove
