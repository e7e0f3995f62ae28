#include "LinuxWorkspace.h"

namespace pulsegrove {

LinuxWorkspace::LinuxWorkspace(const QDBusConnection &systemBus, const QDBusConnection &sessionBus,
                               QObject *parent)
    : Workspace(parent)
{
    // Each connect fails quietly when its bus is absent; that is the "no notifications" case.
    QDBusConnection(systemBus).connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(handlePrepareForSleep(bool)));
    // Any sender and any path: the screen savers publish on more than one object path.
    for (const auto &interface :
         {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver")})
        QDBusConnection(sessionBus)
            .connect(QString(), QString(), interface, QStringLiteral("ActiveChanged"), this,
                     SLOT(handleScreenSaverActiveChanged(bool)));
}

void LinuxWorkspace::handlePrepareForSleep(bool goingToSleep)
{
    if (goingToSleep)
        Q_EMIT willSleep();
    else
        Q_EMIT didWake();
}

void LinuxWorkspace::handleScreenSaverActiveChanged(bool active)
{
    if (active == m_screensAsleep)
        return;
    m_screensAsleep = active;
    if (active)
        Q_EMIT screensDidSleep();
    else
        Q_EMIT screensDidWake();
}

} // namespace pulsegrove
