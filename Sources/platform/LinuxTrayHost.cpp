#include "LinuxTrayHost.h"

#include "QtTrayIcon.h"

#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace pulsegrove {

namespace {

bool runsOn(const char *platform)
{
    return QGuiApplication::platformName().startsWith(QLatin1String(platform), Qt::CaseInsensitive);
}

xcb_connection_t *x11Connection()
{
    if (!runsOn("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::uint32_t internAtom(xcb_connection_t *connection, const QByteArray &name)
{
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData());
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const std::uint32_t atom = reply ? reply->atom : 0;
    free(reply);
    return atom;
}

} // namespace

LinuxTrayHost::LinuxTrayHost(const QDBusConnection &sessionBus, QObject *parent)
    : TrayHost(parent), m_sessionBus(sessionBus),
      m_watcher(QString::fromLatin1(statusNotifierWatcherService), sessionBus,
                QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &LinuxTrayHost::update);
    m_xcb = x11Connection();
    if (m_xcb) {
        const QByteArray selection =
            "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber(qgetenv("DISPLAY")));
        m_selectionAtom = internAtom(m_xcb, selection);
        m_xembedPoll.setTimerType(Qt::CoarseTimer);
        m_xembedPoll.setInterval(xembedPollMilliseconds);
        connect(&m_xembedPoll, &QTimer::timeout, this, &LinuxTrayHost::update);
        m_xembedPoll.start();
    }
    m_kind = currentKind();
}

std::unique_ptr<TrayIcon> LinuxTrayHost::createIcon()
{
    return std::make_unique<QtTrayIcon>();
}

PopupPlacement LinuxTrayHost::popupPlacement() const
{
    return runsOn("wayland") ? PopupPlacement::compositor : PopupPlacement::anchored;
}

int LinuxTrayHost::screenNumber(const QByteArray &display)
{
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (colon < 0 || dot < 0)
        return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

TrayHostKind LinuxTrayHost::currentKind() const
{
    // The toolkit prefers the watcher too when both exist.
    if (hasStatusNotifierWatcher())
        return TrayHostKind::statusNotifierItem;
    return hasXembedManager() ? TrayHostKind::xembed : TrayHostKind::none;
}

void LinuxTrayHost::update()
{
    const TrayHostKind kind = currentKind();
    if (kind == m_kind)
        return;
    m_kind = kind;
    Q_EMIT kindChanged();
}

bool LinuxTrayHost::hasStatusNotifierWatcher() const
{
    const QDBusConnectionInterface *bus = m_sessionBus.isConnected() ? m_sessionBus.interface() : nullptr;
    return bus && bus->isServiceRegistered(QString::fromLatin1(statusNotifierWatcherService)).value();
}

bool LinuxTrayHost::hasXembedManager() const
{
    if (!m_xcb || m_selectionAtom == 0 || xcb_connection_has_error(m_xcb))
        return false;
    xcb_get_selection_owner_reply_t *reply =
        xcb_get_selection_owner_reply(m_xcb, xcb_get_selection_owner(m_xcb, m_selectionAtom), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    free(reply);
    return owned;
}

} // namespace pulsegrove
