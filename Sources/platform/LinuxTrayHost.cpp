#include "LinuxTrayHost.h"

#include "QtTrayIcon.h"

#include <QCoreApplication>
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
        m_managerAtom = internAtom(m_xcb, "MANAGER");
        // The announcement of a new manager is sent to the root window's structure listeners.
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_xcb)).data;
        if (screen)
            addStructureNotify(screen->root);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    m_kind = currentKind();
}

LinuxTrayHost::~LinuxTrayHost()
{
    if (m_xcb && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void LinuxTrayHost::addStructureNotify(std::uint32_t window) const
{
    // Event masks are per client and per window, and the toolkit shares this connection: add to
    // the mask it may already hold rather than replace it.
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(m_xcb, xcb_get_window_attributes(m_xcb, window), nullptr);
    if (!attributes)
        return;
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    free(attributes);
    xcb_change_window_attributes(m_xcb, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_xcb);
}

bool LinuxTrayHost::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & ~0x80) {
    case XCB_CLIENT_MESSAGE: {
        const auto *client = static_cast<const xcb_client_message_event_t *>(message);
        if (client->type == m_managerAtom && client->format == 32 &&
            client->data.data32[1] == m_selectionAtom)
            QMetaObject::invokeMethod(this, &LinuxTrayHost::update, Qt::QueuedConnection);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto *destroyed = static_cast<const xcb_destroy_notify_event_t *>(message);
        if (m_managerWindow != 0 && destroyed->window == m_managerWindow)
            QMetaObject::invokeMethod(this, &LinuxTrayHost::update, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    // The toolkit keeps handling every event itself.
    return false;
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

TrayHostKind LinuxTrayHost::currentKind()
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

bool LinuxTrayHost::hasXembedManager()
{
    if (!m_xcb || m_selectionAtom == 0 || xcb_connection_has_error(m_xcb))
        return false;
    xcb_get_selection_owner_reply_t *reply =
        xcb_get_selection_owner_reply(m_xcb, xcb_get_selection_owner(m_xcb, m_selectionAtom), nullptr);
    const std::uint32_t owner = reply ? reply->owner : std::uint32_t(XCB_WINDOW_NONE);
    free(reply);
    if (owner != XCB_WINDOW_NONE && owner != m_managerWindow)
        addStructureNotify(owner);
    m_managerWindow = owner;
    return owner != XCB_WINDOW_NONE;
}

} // namespace pulsegrove
