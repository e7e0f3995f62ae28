#pragma once

#include <QProcess>
#include <QStandardPaths>

namespace pulsegrove::testing {

// A message bus of the test's own, so a test can play desktop services (logind, screen savers,
// the tray's watcher) without touching the machine's buses or needing a desktop session.
class PrivateMessageBus {
public:
    PrivateMessageBus() = default;
    PrivateMessageBus(const PrivateMessageBus &) = delete;
    PrivateMessageBus &operator=(const PrivateMessageBus &) = delete;
    ~PrivateMessageBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    static bool isAvailable() { return !program().isEmpty(); }

    // Starts the bus and returns its address: empty when the daemon printed none in time.
    QString start()
    {
        m_daemon.start(program(), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                   QStringLiteral("--print-address")});
        while (!m_daemon.canReadLine()) {
            if (!m_daemon.waitForReadyRead(10000))
                return {};
        }
        return QString::fromUtf8(m_daemon.readLine().trimmed());
    }

private:
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }

    QProcess m_daemon;
};

} // namespace pulsegrove::testing
