#include "LinuxWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// A private message bus, so the tests play logind and the screen savers without touching the
// machine's buses or needing a desktop session.
class LinuxWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not available";
        m_daemon.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                 QStringLiteral("--print-address")});
        while (!m_daemon.canReadLine())
            ASSERT_TRUE(m_daemon.waitForReadyRead(10000)) << "dbus-daemon printed no address";
        const auto address = QString::fromUtf8(m_daemon.readLine().trimmed());
        m_listener = QDBusConnection::connectToBus(address, QStringLiteral("listener"));
        m_sender = QDBusConnection::connectToBus(address, QStringLiteral("sender"));
        ASSERT_TRUE(m_listener.isConnected());
        ASSERT_TRUE(m_sender.isConnected());
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
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    void send(const QString &path, const QString &interface, const QString &name, bool value)
    {
        auto message = QDBusMessage::createSignal(path, interface, name);
        message << value;
        ASSERT_TRUE(m_sender.send(message));
    }
    void prepareForSleep(bool goingToSleep)
    {
        send(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
             QStringLiteral("PrepareForSleep"), goingToSleep);
    }
    void screenSaverActive(const char *path, const char *interface, bool active)
    {
        send(QString::fromLatin1(path), QString::fromLatin1(interface), QStringLiteral("ActiveChanged"), active);
    }

    QProcess m_daemon;
    QDBusConnection m_listener{QString()};
    QDBusConnection m_sender{QString()};
    std::unique_ptr<LinuxWorkspace> m_workspace;
};

TEST_F(LinuxWorkspaceTest, OnlyLogindsSleepAndWakeBecomeMachineNotifications)
{
    QSignalSpy willSleep(m_workspace.get(), &Workspace::willSleep);
    QSignalSpy screensDidSleep(m_workspace.get(), &Workspace::screensDidSleep);
    prepareForSleep(true);
    // A later signal of the same sender that does arrive proves the earlier one had its chance.
    screenSaverActive("/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    ASSERT_TRUE(screensDidSleep.wait(10000));
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

TEST_F(LinuxWorkspaceTest, ScreenSaversOfBothDesktopsBecomeScreenNotificationsOncePerChange)
{
    QSignalSpy screensDidSleep(m_workspace.get(), &Workspace::screensDidSleep);
    QSignalSpy screensDidWake(m_workspace.get(), &Workspace::screensDidWake);
    screenSaverActive("/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    // The same change announced again on another path.
    screenSaverActive("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    screenSaverActive("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", false);
    ASSERT_TRUE(screensDidWake.wait(10000));
    EXPECT_EQ(screensDidSleep.count(), 1);
    EXPECT_EQ(screensDidWake.count(), 1);
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
