#include "ApplicationProcess.h"
#include "DesktopPixels.h"
#include "DesktopTest.h"
#include "FakeCodex.h"
#include "TemporaryDirectory.h"
#include "UserDefaults.h"
#include "quota/QuotaSnapshot.h"
#include "stores/QuotaStore.h"

#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <tuple>

namespace pulsegrove::testing {
namespace {

using namespace std::chrono_literals;

struct Window {
    std::string id;
    std::string name;
    DesktopSession::Geometry geometry;
};

std::string lastLine(const std::string &text)
{
    std::string line, last;
    std::istringstream lines(text);
    while (std::getline(lines, line))
        if (!line.empty())
            last = line;
    return last;
}

// The installed application started from outside, as a user starts it: installed by the install
// script into a temporary home, with a private runtime folder and a scripted codex on PATH whose
// every exchange takes 1.5 s, so a refresh is in flight long enough to be caught.
class InstalledApplication : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char *folder : {"home", "config", "data", "cache", "runtime"})
            std::filesystem::create_directories(m_root.path() / folder);
        ::chmod((m_root.path() / "runtime").c_str(), 0700);
        const auto installed =
            session->run({"env", "HOME=" + path("home"), "XDG_DATA_HOME=" + path("data"),
                          PULSEGROVE_SOURCE_DIR "/scripts/install.sh", PULSEGROVE_BUILD_DIR});
        ASSERT_TRUE(installed) << "the install script failed";
        m_executable = lastLine(*installed);
        ASSERT_EQ(m_executable, path("data") + "/Pulsegrove/Pulsegrove.app/bin/pulsegrove");
        const std::string entry = path("data") + "/applications/io.velorn.Pulsegrove.desktop";
        EXPECT_TRUE(session->run({"desktop-file-validate", entry})) << "the desktop entry does not validate";
        EXPECT_TRUE(
            std::filesystem::exists(path("data") + "/icons/hicolor/scalable/apps/io.velorn.Pulsegrove.svg"));
        EXPECT_FALSE(std::filesystem::exists(path("config") + "/autostart"))
            << "installing never enables login";
    }

    std::string path(const char *folder) const { return (m_root.path() / folder).string(); }

    std::vector<std::string> environment() const
    {
        std::vector<std::string> variables = session->environment();
        const std::string codexFolder = std::filesystem::path(m_codex.path()).parent_path().string();
        for (const std::string &variable :
             {"HOME=" + path("home"), "XDG_CONFIG_HOME=" + path("config"), "XDG_DATA_HOME=" + path("data"),
              "XDG_CACHE_HOME=" + path("cache"), "XDG_RUNTIME_DIR=" + path("runtime"),
              "PATH=" + codexFolder + ":/usr/bin:/bin", std::string("TZ=UTC"), std::string("LANG=C.UTF-8")})
            variables.push_back(variable);
        return variables;
    }

    std::unique_ptr<ApplicationProcess> start(const std::vector<std::string> &arguments = {})
    {
        return std::make_unique<ApplicationProcess>(m_executable, arguments, environment(), path("root.log"));
    }

    UserDefaults standardDefaults() const
    {
        return UserDefaults(UserDefaults::standardSuiteName,
                            Environment({{"XDG_CONFIG_HOME", path("config")}}));
    }

    std::vector<Window> visibleWindows() const
    {
        std::vector<Window> windows;
        const auto ids = session->run({"xdotool", "search", "--onlyvisible", "--class", "pulsegrove"});
        std::istringstream lines(ids.value_or(""));
        for (std::string id; std::getline(lines, id);) {
            const auto name = session->run({"xdotool", "getwindowname", id});
            const auto geometry = session->windowGeometry(id);
            if (!name || !geometry)
                continue;
            windows.push_back({id, name->substr(0, name->find('\n')), *geometry});
        }
        return windows;
    }

    std::optional<Window> waitForWindow(const std::function<bool(const Window &)> &matches,
                                        int milliseconds = 20000)
    {
        std::optional<Window> found;
        [[maybe_unused]] const bool appeared = QTest::qWaitFor(
            [&] {
                for (const auto &window : visibleWindows())
                    if (matches(window))
                        found = window;
                return found.has_value();
            },
            milliseconds);
        return found;
    }

    std::optional<Window> waitForTitle(const std::string &title)
    {
        return waitForWindow([&](const Window &window) { return window.name == title; });
    }

    // Whether typing `keys` into the window takes it off the screen.
    bool closesWith(const Window &window, const std::string &keys)
    {
        if (!session->run({"xdotool", "windowfocus", "--sync", window.id, "key", keys}))
            return false;
        return QTest::qWaitFor(
            [&] {
                const auto windows = visibleWindows();
                return std::none_of(windows.begin(), windows.end(),
                                    [&](const Window &shown) { return shown.id == window.id; });
            },
            5000);
    }

    // The docked icon: a small window of ours inside the tray.
    std::optional<Window> trayIcon()
    {
        return waitForWindow([](const Window &window) {
            const auto tray = session->trayGeometry();
            return tray && window.geometry.width <= 64 && window.geometry.height <= 64 &&
                   window.geometry.x >= tray->x && window.geometry.y >= tray->y &&
                   window.geometry.x < tray->x + tray->width;
        });
    }

    // Whether the icon on screen now shows `title`: as much of it stands out as in the drawing.
    bool iconShows(const Window &icon, const QString &title) const
    {
        const QImage shown =
            grabScreen(icon.geometry.x, icon.geometry.y, icon.geometry.width, icon.geometry.height);
        const int side = std::min(icon.geometry.width, icon.geometry.height);
        const auto shareOf = [&](const QString &text) { return titleShare(text, side, shown.pixel(0, 0)); };
        const double share = drawnShare(shown.copy(0, 0, side, side));
        const double wanted = shareOf(title);
        return std::abs(share - wanted) < 0.08 &&
               std::abs(share - wanted) < std::abs(share - shareOf(QStringLiteral("PG")));
    }

    void click(const Window &window)
    {
        const int x = window.geometry.x + window.geometry.width / 2;
        const int y = window.geometry.y + window.geometry.height / 2;
        ASSERT_TRUE(
            session->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"}));
    }

    std::vector<pid_t> codexProcesses() const { return processesOf(m_codex.path()); }

    // Every process started from `program`, by its command line.
    static std::vector<pid_t> processesOf(const std::string &program)
    {
        std::vector<pid_t> processes;
        for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::ifstream file(entry.path() / "cmdline", std::ios::binary);
            std::string argv0;
            std::getline(file, argv0, '\0');
            if (argv0 == program)
                processes.push_back(pid_t(std::stol(name)));
        }
        return processes;
    }

    std::string applicationLog() const { return TemporaryDirectory::readFile(path("root.log")); }

    void expectCleanExit(ApplicationProcess &application, const char *what)
    {
        EXPECT_EQ(application.terminate(10s), 0) << what << "; the application wrote:\n" << applicationLog();
        EXPECT_FALSE(ApplicationProcess::processExists(application.pid())) << what;
        EXPECT_TRUE(codexProcesses().empty()) << what << ": a codex child outlived the application";
    }

    TemporaryDirectory m_root;
    FakeCodex m_codex{{"expect", "send " + FakeCodex::initializeReply(), "expect", "expect", "sleep 1500",
                       "send " + FakeCodex::rateLimitsReply(FakeCodex::sampleResult())}};
    std::string m_executable;
};

TEST_F(InstalledApplication, DocksReopensShowsThePanelOrTheMenuAndLeavesNothingRunning)
{
    standardDefaults().setString(QuotaStore::panelStyleKey, "dashboard");
    auto application = start();
    auto icon = trayIcon();
    ASSERT_TRUE(icon) << "the icon never docked";
    ASSERT_TRUE(QTest::qWaitFor([&] { return iconShows(*icon, QStringLiteral("40%")); }, 20000))
        << "the icon never showed the fake's 40%";

    click(*icon);
    const auto popover = waitForWindow([](const Window &window) { return window.geometry.width == 360; });
    ASSERT_TRUE(popover) << "no popover opened";
    EXPECT_GT(popover->geometry.height, 200);
    ASSERT_TRUE(session->run({"xdotool", "key", "Escape"}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto windows = visibleWindows();
            return std::none_of(windows.begin(), windows.end(),
                                [](const auto &w) { return w.geometry.width == 360; });
        },
        5000));

    // A plain second start asks the running one to reopen, which opens the settings window.
    auto second = start();
    EXPECT_EQ(second->waitForExit(10s), 0);
    const auto settings = waitForTitle("Pulse Grove · 界面与模块设置");
    ASSERT_TRUE(settings) << "the reopen did not open the settings window";
    EXPECT_EQ(settings->geometry.width, 440);
    EXPECT_EQ(settings->geometry.height, 610);
    EXPECT_TRUE(closesWith(*settings, "ctrl+w")) << "Ctrl+W left the settings window open";

    // Opening the popover starts a refresh (the snapshot is older than 5 s by now); end the
    // application while its codex child is still answering.
    QTest::qWait(5500);
    click(*icon);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !codexProcesses().empty(); }, 10000)) << "no refresh started";
    expectCleanExit(*application, "SIGTERM during a refresh");

    const auto cached = TemporaryDirectory::readFile(path("data") + "/Pulsegrove/quota-cache.json");
    ASSERT_FALSE(cached.empty()) << "no cache file";
    const auto snapshot = QuotaSnapshot::decodeJSON(cached);
    ASSERT_TRUE(snapshot.weekly() && snapshot.fiveHour());
    EXPECT_EQ(snapshot.weekly()->usedPercent, 60);
    EXPECT_EQ(snapshot.fiveHour()->usedPercent, 25);

    // The system style stored: the next start's icon opens the native menu instead.
    standardDefaults().setString(QuotaStore::panelStyleKey, "system");
    auto third = start();
    icon = trayIcon();
    ASSERT_TRUE(icon);

    // Later starts never make a second copy: a preview option is handed to the running one,
    // help only prints, and what no option means is refused without touching the running copy.
    auto preview = start({"--preview-status-item"});
    EXPECT_EQ(preview->waitForExit(10s), 0);
    EXPECT_TRUE(waitForTitle("Pulse Grove · 托盘预览")) << "the running copy did not open the preview";
    for (const auto &[arguments, status, output] :
         {std::tuple{std::vector<std::string>{"--help"}, 0, "--preview-usage-dashboard "},
          std::tuple{std::vector<std::string>{"--bogus"}, 2, "“--bogus”"}}) {
        EXPECT_EQ(start(arguments)->waitForExit(10s), status) << arguments[0];
        EXPECT_NE(applicationLog().find(output), std::string::npos) << arguments[0];
    }
    EXPECT_EQ(processesOf(m_executable), std::vector<pid_t>{third->pid()});
    QTest::qWait(300);
    click(*icon);
    const auto menu = waitForWindow([](const Window &window) {
        return window.geometry.width > 64 && window.geometry.width != 360 &&
               window.name.find("Pulse Grove ·") != 0;
    });
    EXPECT_TRUE(menu) << "no menu opened";
    ASSERT_TRUE(session->run({"xdotool", "key", "Escape"}));
    expectCleanExit(*third, "SIGTERM with the menu style");
}

// Under a 32-pixel top panel, as a window manager reports it, each preview opens inside the 768
// pixels left (the 1180 × 780 dashboard shrinks to fit), and Escape or Ctrl+W closes it.
TEST_F(InstalledApplication, EachPreviewOptionOpensItsWindowInsideTheWorkAreaAndClosesFromTheKeyboard)
{
    ASSERT_TRUE(session->run(
        {"xprop", "-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", "0, 32, 1280, 768"}));
    struct Case {
        std::string option;
        std::string title;
        int width;
        std::optional<int> height;
        std::string closeKeys;
    };
    const std::vector<Case> cases = {
        {"--preview-settings", "Pulse Grove · 设置预览", 440, 610, "Escape"},
        {"--preview", "Pulse Grove · 信息面板预览", 360, std::nullopt, "ctrl+w"},
        {"--preview-system-menu", "Pulse Grove · 系统菜单预览", 320, 108, "ctrl+w"},
        {"--preview-status-item", "Pulse Grove · 托盘预览", 300, 112, "Escape"},
        {"--preview-usage-dashboard", "Pulse Grove · 本地用量统计", 1180, std::nullopt, "ctrl+w"},
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.option);
        auto application = start({testCase.option});
        const auto window = waitForTitle(testCase.title);
        ASSERT_TRUE(window) << "no window titled " << testCase.title;
        const auto &[x, y, width, height] = window->geometry;
        EXPECT_EQ(width, testCase.width);
        if (testCase.height)
            EXPECT_EQ(height, *testCase.height);
        else
            EXPECT_GT(height, 200) << "the panel asks for its own height, the dashboard shrinks";
        EXPECT_TRUE(x >= 0 && y >= 32 && x + width <= 1280 && y + height <= 800)
            << x << "," << y << " " << width << "×" << height;
        EXPECT_TRUE(closesWith(*window, testCase.closeKeys)) << testCase.closeKeys << " left the window open";
        expectCleanExit(*application, testCase.option.c_str());
    }
    session->run({"xprop", "-root", "-remove", "_NET_WORKAREA"});
}

TEST_F(InstalledApplication, WithoutADisplayItStopsWithOneLineAndNothingLeft)
{
    std::vector<std::string> variables;
    for (const std::string &variable : environment())
        if (!variable.starts_with("DISPLAY=") && !variable.starts_with("WAYLAND_DISPLAY="))
            variables.push_back(variable);
    const std::string log = path("no-display.log");
    ApplicationProcess application(m_executable, {}, variables, log);
    EXPECT_EQ(application.waitForExit(10s), 1);
    std::ifstream file(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("pulsegrove: ")) << lines[0];
    EXPECT_TRUE(codexProcesses().empty());
}

} // namespace
} // namespace pulsegrove::testing
