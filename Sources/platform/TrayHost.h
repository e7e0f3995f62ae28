#pragma once

#include <QObject>
#include <memory>

namespace pulsegrove {

class TrayIcon;

// Which kind of tray the desktop shows, if any.
enum class TrayHostKind {
    none,
    // A StatusNotifierWatcher on the session bus (KDE Plasma, GNOME with the AppIndicator
    // extension, most panels): the host draws the item and reports no geometry.
    statusNotifierItem,
    // A window that holds the XEmbed tray manager selection: the icon is a docked window whose
    // geometry is known.
    xembed,
};

// How a surface opened from the tray is put on screen.
enum class PopupPlacement {
    // The application places a popup window at global coordinates (X11).
    anchored,
    // The compositor places windows; global positions and grabbing popups do not work (native
    // Wayland), so a surface is an ordinary frameless dialog.
    compositor,
};

// The desktop's tray, watched: a tray icon made before a host exists never shows (the toolkit
// picks its tray protocol once), so icons are made only while kind() is not none, and kindChanged()
// tells when a host appears, goes away or is replaced.
class TrayHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayHost() override = default;

    virtual TrayHostKind kind() const = 0;
    // A new, hidden icon in the current host.
    virtual std::unique_ptr<TrayIcon> createIcon() = 0;
    virtual PopupPlacement popupPlacement() const = 0;

Q_SIGNALS:
    void kindChanged();
};

} // namespace pulsegrove
