#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace pulsegrove {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a `kill`, Ctrl+C) into a signal on the main thread,
// so the application can end as it does when the user quits. The handler only writes the signal
// number into a pipe; everything else happens in the event loop. A signal ignored when the
// notifier is made (`nohup`, a service manager) stays ignored. One per process.
class TerminationSignalNotifier : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignalNotifier(QObject *parent = nullptr);
    // Puts the default handlers back where it installed its own.
    ~TerminationSignalNotifier() override;

    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace pulsegrove
