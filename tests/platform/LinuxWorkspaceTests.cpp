#include "LinuxWorkspace.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// A private message bus, so the test can play logind and the screen saver without a desktop.
class PrivateBus {
public:
    PrivateBus()
    {
        const auto program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty())
            return;
        m_daemon.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                 QStringLiteral("--print-address")});
        if (!m_daemon.waitForReadyRead(5000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~PrivateBus()
    {
        for (const auto &name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    bool isRunning() const { return !m_address.isEmpty(); }
    QDBusConnection connect(const QString &name)
    {
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};

void emitSignal(QDBusConnection &bus, const QString &path, const QString &interface, const QString &name,
                bool value)
{
    auto message = QDBusMessage::createSignal(path, interface, name);
    message << value;
    ASSERT_TRUE(bus.send(message));
}

class LinuxWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!m_bus.isRunning())
            GTEST_SKIP() << "dbus-daemon is not available";
        m_listener = m_bus.connect(QStringLiteral("listener"));
        m_sender = m_bus.connect(QStringLiteral("sender"));
        ASSERT_TRUE(m_listener.isConnected());
        ASSERT_TRUE(m_sender.isConnected());
    }

    void prepareForSleep(bool goingToSleep)
    {
        emitSignal(m_sender, QStringLiteral("/org/freedesktop/login1"),
                   QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                   goingToSleep);
    }
    void screenSaverActive(const char *path, const char *interface, bool active)
    {
        emitSignal(m_sender, QString::fromLatin1(path), QString::fromLatin1(interface),
                   QStringLiteral("ActiveChanged"), active);
    }

    PrivateBus m_bus;
    QDBusConnection m_listener{QString()};
    QDBusConnection m_sender{QString()};
};

TEST_F(LinuxWorkspaceTest, LogindSleepAndWakeBecomeMachineNotifications)
{
    ASSERT_TRUE(m_sender.registerService(QStringLiteral("org.freedesktop.login1")));
    LinuxWorkspace workspace(m_listener, m_listener);
    QSignalSpy willSleep(&workspace, &Workspace::willSleep);
    QSignalSpy didWake(&workspace, &Workspace::didWake);

    prepareForSleep(true);
    ASSERT_TRUE(willSleep.wait(5000));
    prepareForSleep(false);
    ASSERT_TRUE(didWake.wait(5000));
    EXPECT_EQ(willSleep.count(), 1);
}

TEST_F(LinuxWorkspaceTest, ScreenSaversOfBothDesktopsBecomeScreenNotificationsOncePerChange)
{
    LinuxWorkspace workspace(m_listener, m_listener);
    QSignalSpy screensDidSleep(&workspace, &Workspace::screensDidSleep);
    QSignalSpy screensDidWake(&workspace, &Workspace::screensDidWake);

    screenSaverActive("/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    // The same change announced again on another path.
    screenSaverActive("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    screenSaverActive("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", false);
    ASSERT_TRUE(screensDidWake.wait(5000));
    EXPECT_EQ(screensDidSleep.count(), 1);
    EXPECT_EQ(screensDidWake.count(), 1);
}

TEST_F(LinuxWorkspaceTest, OnlyLogindMaySendTheMachinesSleep)
{
    LinuxWorkspace workspace(m_listener, m_listener);
    QSignalSpy willSleep(&workspace, &Workspace::willSleep);
    QSignalSpy screensDidSleep(&workspace, &Workspace::screensDidSleep);
    prepareForSleep(true);
    // A later signal that does arrive proves the earlier one had its chance.
    screenSaverActive("/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    ASSERT_TRUE(screensDidSleep.wait(5000));
    EXPECT_EQ(willSleep.count(), 0);
}

TEST(LinuxWorkspaceWithoutBus, MakesNoNotificationsAndNoError)
{
    const QDBusConnection none(QStringLiteral("pulsegrove-no-such-bus"));
    ASSERT_FALSE(none.isConnected());
    LinuxWorkspace workspace(none, none);
    QSignalSpy willSleep(&workspace, &Workspace::willSleep);
    EXPECT_FALSE(willSleep.wait(50));
}

} // namespace
} // namespace pulsegrove
