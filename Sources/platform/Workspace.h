#pragma once

#include <QObject>

namespace pulsegrove {

// The desktop's sleep and wake announcements: the machine going to sleep and waking, and the
// screens going dark and coming back. Stores subscribe to the four signals; the signals are
// always delivered on the main thread.
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Workspace() override = default;

    // The process-wide instance, made on first use by the platform factory.
    static Workspace *shared();

Q_SIGNALS:
    void didWake();
    void willSleep();
    void screensDidSleep();
    void screensDidWake();
};

} // namespace pulsegrove
