#pragma once

#include "Workspace.h"

#include <QDBusConnection>

namespace pulsegrove {

// The workspace of a freedesktop session. The machine's sleep comes from systemd-logind's
// PrepareForSleep(b) on the system bus (true: going to sleep, false: woken up); the screens' from
// ActiveChanged(b) of the screen savers of freedesktop and GNOME on the session bus (true: the
// screens went dark). Without a bus there are simply no announcements.
class LinuxWorkspace : public Workspace {
    Q_OBJECT
public:
    LinuxWorkspace(const QDBusConnection &systemBus, const QDBusConnection &sessionBus,
                   QObject *parent = nullptr);

private Q_SLOTS:
    void handlePrepareForSleep(bool goingToSleep);
    void handleScreenSaverActiveChanged(bool active);

private:
    // Some desktops announce the screen saver on two paths or under both names; one change of
    // state is announced once.
    bool m_screensAsleep = false;
};

} // namespace pulsegrove
