#pragma once

#include "TrayHost.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QTimer>
#include <cstdint>

struct xcb_connection_t;

namespace pulsegrove {

// The tray as Linux desktops offer it: a StatusNotifierWatcher on the session bus, watched through
// the bus's name-owner changes, or else an X11 tray manager, found as the owner of the selection
// "_NET_SYSTEM_TRAY_S<screen>". X11 announces a new manager only to clients that listen on the
// root window, which the toolkit does on its own account, so the selection owner is read again
// every two seconds while the application runs on X11 (one round trip to the X server).
class LinuxTrayHost final : public TrayHost {
    Q_OBJECT
public:
    static constexpr const char *statusNotifierWatcherService = "org.kde.StatusNotifierWatcher";
    static constexpr int xembedPollMilliseconds = 2000;

    explicit LinuxTrayHost(const QDBusConnection &sessionBus, QObject *parent = nullptr);

    TrayHostKind kind() const override { return m_kind; }
    std::unique_ptr<TrayIcon> createIcon() override;
    PopupPlacement popupPlacement() const override;

    // The X screen number of a DISPLAY value such as ":0", ":1.2" or "host:10.1"; 0 when absent.
    static int screenNumber(const QByteArray &display);

private:
    void update();
    TrayHostKind currentKind() const;
    bool hasStatusNotifierWatcher() const;
    bool hasXembedManager() const;

    QDBusConnection m_sessionBus;
    QDBusServiceWatcher m_watcher;
    QTimer m_xembedPoll;
    xcb_connection_t *m_xcb = nullptr;
    std::uint32_t m_selectionAtom = 0;
    TrayHostKind m_kind = TrayHostKind::none;
};

} // namespace pulsegrove
