#include "DesktopSession.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

extern char **environ;

namespace pulsegrove::testing {

namespace {

using Clock = std::chrono::steady_clock;

bool isOnPath(const std::string &program)
{
    const char *path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// Reads from `fd` until `done` says enough, end of file or the deadline; what was read.
std::string readUntil(int fd, Clock::time_point deadline, bool (*done)(const std::string &))
{
    std::string text;
    char buffer[4096];
    while (!done(text)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd pfd{fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        text.append(buffer, std::size_t(count));
    }
    return text;
}

bool hasLine(const std::string &text)
{
    return text.find('\n') != std::string::npos;
}

bool never(const std::string &)
{
    return false;
}

std::string firstLine(const std::string &text)
{
    return text.substr(0, text.find('\n'));
}

void closeOnce(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// A pipe whose descriptors lie above 3, so handing the write end to a child as descriptor 3 is
// always a real copy (which drops close-on-exec).
struct Pipe {
    int read = -1, write = -1;
    Pipe()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("cannot make a pipe");
        read = fcntl(fds[0], F_DUPFD_CLOEXEC, 10);
        write = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
        close(fds[0]);
        close(fds[1]);
        if (read < 0 || write < 0)
            throw std::runtime_error("cannot place a pipe");
    }
    ~Pipe()
    {
        closeOnce(read);
        closeOnce(write);
    }
    void closeWrite() { closeOnce(write); }
};

} // namespace

std::optional<std::string> DesktopSession::unavailableReason()
{
    std::string missing;
    for (const char *program : {"Xvfb", "trayer", "xdotool", "dbus-daemon"})
        if (!isOnPath(program))
            missing += std::string(missing.empty() ? "" : ", ") + program;
    if (missing.empty())
        return std::nullopt;
    return "a private desktop needs programs this machine lacks: " + missing;
}

DesktopSession::DesktopSession(Tray tray)
{
    try {
        const std::string number = startReporting(
            m_xserver, {"Xvfb", "-displayfd", "3", "-screen", "0",
                        std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24", "-nolisten",
                        "tcp", "-noreset"});
        if (number.empty())
            throw std::runtime_error("Xvfb reported no display");
        m_display = ":" + number;
        m_busAddress = startReporting(m_bus, {"dbus-daemon", "--session", "--nofork", "--print-address=3"});
        if (m_busAddress.empty())
            throw std::runtime_error("dbus-daemon reported no address");
        if (tray == Tray::xembed)
            startTray();
    } catch (...) {
        stop(m_tray);
        stop(m_bus);
        stop(m_xserver);
        throw;
    }
}

std::unique_ptr<DesktopSession> DesktopSession::startHere(Tray tray, std::string &unavailable,
                                                          std::string &failure)
{
    std::unique_ptr<DesktopSession> session;
    if (const auto reason = unavailableReason()) {
        unavailable = *reason;
    } else {
        try {
            session = std::make_unique<DesktopSession>(tray);
            session->exportToThisProcess();
        } catch (const std::exception &error) {
            failure = error.what();
        }
    }
    if (!session)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return session;
}

DesktopSession::~DesktopSession()
{
    stop(m_tray);
    stop(m_bus);
    stop(m_xserver);
}

std::vector<std::string> DesktopSession::environment() const
{
    return {"DISPLAY=" + m_display, "DBUS_SESSION_BUS_ADDRESS=" + m_busAddress, "QT_QPA_PLATFORM=xcb"};
}

void DesktopSession::exportToThisProcess() const
{
    for (const std::string &variable : environment()) {
        const auto equals = variable.find('=');
        setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
    }
}

void DesktopSession::stopTray()
{
    stop(m_tray);
    waitFor(&DesktopSession::hasNoTrayManager, 10000);
}

void DesktopSession::startTray(Edge edge)
{
    stop(m_tray);
    m_tray = spawn({"trayer", "--edge", edge == Edge::top ? "top" : "bottom", "--align", "right",
                    "--widthtype", "request", "--height", "32", "--SetDockType", "true", "--SetPartialStrut",
                    "true", "--transparent", "false", "--tint", "0x303030", "--expand", "true"});
    if (!waitFor(&DesktopSession::hasTrayManager, 15000))
        throw std::runtime_error("trayer did not take the tray selection");
}

bool DesktopSession::hasTrayManager() const
{
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(m_display.c_str(), &screen);
    bool owned = false;
    if (!xcb_connection_has_error(connection)) {
        const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.c_str()), nullptr);
        if (atom) {
            xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
                connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            owned = owner && owner->owner != XCB_WINDOW_NONE;
            free(owner);
        }
        free(atom);
    }
    xcb_disconnect(connection);
    return owned;
}

bool DesktopSession::hasNoTrayManager() const
{
    return !hasTrayManager();
}

std::optional<DesktopSession::Geometry> DesktopSession::trayGeometry() const
{
    const auto windows = run({"xdotool", "search", "--onlyvisible", "--class", "trayer"});
    if (!windows || windows->empty())
        return std::nullopt;
    return windowGeometry(firstLine(*windows));
}

std::optional<DesktopSession::Geometry> DesktopSession::windowGeometry(const std::string &window) const
{
    const auto shell = run({"xdotool", "getwindowgeometry", "--shell", window});
    if (!shell)
        return std::nullopt;
    Geometry geometry;
    const std::pair<const char *, int *> fields[] = {
        {"X=", &geometry.x}, {"Y=", &geometry.y}, {"WIDTH=", &geometry.width}, {"HEIGHT=", &geometry.height}};
    for (const auto &[key, field] : fields) {
        const auto at = shell->find(std::string("\n") + key);
        const auto start = at == std::string::npos ? shell->rfind(key, 0) : at + 1;
        if (start == std::string::npos)
            return std::nullopt;
        *field = std::atoi(shell->c_str() + start + std::strlen(key));
    }
    return geometry;
}

std::optional<std::string> DesktopSession::run(const std::vector<std::string> &arguments) const
{
    Pipe output;
    pid_t pid = spawn(arguments, output.write);
    output.closeWrite();
    const std::string text = readUntil(output.read, Clock::now() + std::chrono::seconds(10), never);
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            stop(pid);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

bool DesktopSession::screenshot(const std::string &path) const
{
    return isOnPath("import") && run({"import", "-window", "root", path}).has_value();
}

std::string DesktopSession::startReporting(pid_t &pid, const std::vector<std::string> &arguments) const
{
    Pipe report;
    pid = spawn(arguments, report.write);
    report.closeWrite();
    return firstLine(readUntil(report.read, Clock::now() + std::chrono::seconds(15), hasLine));
}

pid_t DesktopSession::spawn(const std::vector<std::string> &arguments, int outputFd) const
{
    // Built before spawning: the test process runs threads, so nothing may allocate after fork.
    std::vector<std::string> variables;
    for (char **entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (!variable.starts_with("DISPLAY=") && !variable.starts_with("DBUS_SESSION_BUS_ADDRESS="))
            variables.push_back(variable);
    }
    if (!m_display.empty())
        variables.push_back("DISPLAY=" + m_display);
    if (!m_busAddress.empty())
        variables.push_back("DBUS_SESSION_BUS_ADDRESS=" + m_busAddress);
    std::vector<char *> envp, argv;
    for (auto &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<std::string> argumentCopies = arguments;
    for (auto &argument : argumentCopies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (outputFd >= 0) {
        // The X server and the bus write to descriptor 3; everything else to its standard output.
        posix_spawn_file_actions_adddup2(&actions, outputFd, 3);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + arguments.front() + ": " + std::strerror(error));
    return pid;
}

void DesktopSession::stop(pid_t &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
}

bool DesktopSession::waitFor(bool (DesktopSession::*condition)() const, int milliseconds) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!(this->*condition)()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return true;
}

} // namespace pulsegrove::testing
