#include "LinuxWorkspace.h"
#include "PrivateMessageBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// The test plays logind and the screen savers on a private bus.
class LinuxWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testing::PrivateMessageBus::isAvailable())
            GTEST_SKIP() << "dbus-daemon is not available";
        const auto address = m_bus.start();
        ASSERT_FALSE(address.isEmpty()) << "dbus-daemon printed no address";
        m_listener = QDBusConnection::connectToBus(address, QStringLiteral("listener"));
        m_sender = QDBusConnection::connectToBus(address, QStringLiteral("sender"));
        ASSERT_TRUE(m_listener.isConnected() && m_sender.isConnected());
        makeWorkspace();
    }
    void makeWorkspace()
    {
        m_workspace = std::make_unique<LinuxWorkspace>(m_listener, m_listener);
        // A round trip after the subscriptions: the bus handles one connection's messages in
        // order, so it has installed them before any signal the test sends next.
        m_listener.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
    }
    void TearDown() override
    {
        m_workspace.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
        QDBusConnection::disconnectFromBus(QStringLiteral("sender"));
    }

    // Sends a signal with one Boolean argument.
    void send(const char *path, const char *interface, const char *name, bool value)
    {
        auto message = QDBusMessage::createSignal(QString::fromLatin1(path), QString::fromLatin1(interface),
                                                  QString::fromLatin1(name));
        ASSERT_TRUE(m_sender.send(message << value));
    }
    void prepareForSleep(bool goingToSleep)
    {
        send("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep", goingToSleep);
    }

    testing::PrivateMessageBus m_bus;
    QDBusConnection m_listener{QString()};
    QDBusConnection m_sender{QString()};
    std::unique_ptr<LinuxWorkspace> m_workspace;
};

TEST_F(LinuxWorkspaceTest, ScreenSaversOfBothDesktopsAndOnlyLogindsSleepBecomeNotificationsOncePerChange)
{
    QSignalSpy willSleep(m_workspace.get(), &Workspace::willSleep);
    QSignalSpy screensDidSleep(m_workspace.get(), &Workspace::screensDidSleep);
    QSignalSpy screensDidWake(m_workspace.get(), &Workspace::screensDidWake);
    prepareForSleep(true);
    send("/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true);
    // The same change announced again on another path.
    send("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true);
    send("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", false);
    // A later signal of the same sender that does arrive proves the earlier ones had their chance.
    ASSERT_TRUE(screensDidWake.wait(10000));
    EXPECT_EQ(screensDidSleep.count(), 1);
    EXPECT_EQ(screensDidWake.count(), 1);
    EXPECT_EQ(willSleep.count(), 0) << "a sender other than logind put the machine to sleep";

    ASSERT_TRUE(m_sender.registerService(QStringLiteral("org.freedesktop.login1")));
    makeWorkspace();
    QSignalSpy logindSleep(m_workspace.get(), &Workspace::willSleep);
    QSignalSpy didWake(m_workspace.get(), &Workspace::didWake);
    prepareForSleep(true);
    ASSERT_TRUE(logindSleep.wait(10000));
    prepareForSleep(false);
    ASSERT_TRUE(didWake.wait(10000));
    EXPECT_EQ(logindSleep.count(), 1);
}

TEST(LinuxWorkspaceWithoutBus, IsMadeWithoutError)
{
    // No bus at all (no session, no system bus): subscribing must neither throw nor crash.
    const QDBusConnection none(QStringLiteral("pulsegrove-no-such-bus"));
    ASSERT_FALSE(none.isConnected());
    EXPECT_NO_THROW(LinuxWorkspace(none, none));
}

} // namespace
} // namespace pulsegrove
