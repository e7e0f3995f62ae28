#pragma once

#include "TrayHost.h"

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <cstdint>

struct xcb_connection_t;

namespace pulsegrove {

// The tray as Linux desktops offer it: a StatusNotifierWatcher on the session bus, watched through
// the bus's name-owner changes, or else an X11 tray manager, found as the owner of the selection
// "_NET_SYSTEM_TRAY_S<screen>". Both are followed by events, never by polling, so an idle
// application does not wake up: a new X11 manager announces itself with a "MANAGER" message on
// the root window, and a manager that goes away destroys the window that owns the selection,
// whose destruction this host asks to hear about.
class LinuxTrayHost final : public TrayHost, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    static constexpr const char *statusNotifierWatcherService = "org.kde.StatusNotifierWatcher";

    explicit LinuxTrayHost(const QDBusConnection &sessionBus, QObject *parent = nullptr);
    ~LinuxTrayHost() override;

    TrayHostKind kind() const override { return m_kind; }
    std::unique_ptr<TrayIcon> createIcon() override;
    PopupPlacement popupPlacement() const override;

    // The X screen number of a DISPLAY value such as ":0", ":1.2" or "host:10.1"; 0 when absent.
    static int screenNumber(const QByteArray &display);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void update();
    TrayHostKind currentKind();
    bool hasStatusNotifierWatcher() const;
    // Reads the selection's owner and, when there is one, asks for its destruction notice.
    bool hasXembedManager();
    void addStructureNotify(std::uint32_t window) const;

    QDBusConnection m_sessionBus;
    QDBusServiceWatcher m_watcher;
    xcb_connection_t *m_xcb = nullptr;
    std::uint32_t m_selectionAtom = 0;
    std::uint32_t m_managerAtom = 0;
    std::uint32_t m_managerWindow = 0;
    TrayHostKind m_kind = TrayHostKind::none;
};

} // namespace pulsegrove
