#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pulsegrove::testing {

// A private desktop for tests of surfaces that live on one: its own X server (Xvfb, which picks a
// free display number itself), its own session bus and an XEmbed tray host (trayer, docked at the
// top right unless a test moves it to the bottom). Nothing of the developer's own session is
// touched, and destroying the session stops every program it started. Tests drive the screen with
// xdotool through run().
class DesktopSession {
public:
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
        friend bool operator==(const Geometry &, const Geometry &) = default;
    };

    static constexpr int screenWidth = 1280;
    static constexpr int screenHeight = 800;

    // Why a session cannot start here (the programs that are missing), or nothing when it can.
    static std::optional<std::string> unavailableReason();

    enum class Tray {
        // trayer, an XEmbed tray host.
        xembed,
        // No tray program: the test plays a StatusNotifierWatcher on the bus itself.
        none,
    };

    // Starts the X server, the bus and the tray, and waits until the tray manages the display.
    // Throws std::runtime_error when one of them does not come up.
    explicit DesktopSession(Tray tray = Tray::xembed);
    ~DesktopSession();
    // For a test program's main, before its application object exists: a session exported to this
    // process, or none (then the program runs offscreen) with the reason in `unavailable` or
    // `failure`.
    static std::unique_ptr<DesktopSession> startHere(Tray tray, std::string &unavailable,
                                                     std::string &failure);
    DesktopSession(const DesktopSession &) = delete;
    DesktopSession &operator=(const DesktopSession &) = delete;

    // ":N".
    const std::string &display() const { return m_display; }
    const std::string &busAddress() const { return m_busAddress; }
    // DISPLAY, DBUS_SESSION_BUS_ADDRESS and QT_QPA_PLATFORM=xcb, as NAME=value, for a child
    // process; sets them in this process too when `exportHere` (for an application in the test).
    std::vector<std::string> environment() const;
    void exportToThisProcess() const;

    // The screen edge the tray host is docked at.
    enum class Edge { top, bottom };

    // Stops the tray host and starts a new one at `edge` (as a panel restart does); waits for it.
    void stopTray();
    void startTray(Edge edge = Edge::top);
    // Whether an XEmbed tray manager owns the display's tray selection now.
    bool hasTrayManager() const;
    bool hasNoTrayManager() const;
    // The tray host's window, once it is mapped.
    std::optional<Geometry> trayGeometry() const;
    // An X window's place and size, by its id as xdotool prints it.
    std::optional<Geometry> windowGeometry(const std::string &window) const;

    // Runs a program with the session's display and bus; its standard output, or nothing when it
    // failed or ran longer than ten seconds.
    std::optional<std::string> run(const std::vector<std::string> &arguments) const;
    // Saves the whole screen as a PNG (ImageMagick's import).
    bool screenshot(const std::string &path) const;

private:
    pid_t spawn(const std::vector<std::string> &arguments, int outputFd = -1) const;
    // Starts a program that prints one line to descriptor 3 once it is ready; that line.
    std::string startReporting(pid_t &pid, const std::vector<std::string> &arguments) const;
    static void stop(pid_t &pid);
    bool waitFor(bool (DesktopSession::*condition)() const, int milliseconds) const;

    pid_t m_xserver = -1;
    pid_t m_bus = -1;
    pid_t m_tray = -1;
    std::string m_display;
    std::string m_busAddress;
};

} // namespace pulsegrove::testing
