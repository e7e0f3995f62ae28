#include "FakeApplicationActivation.h"
#include "FakeCodex.h"
#include "FakeLoginItemService.h"
#include "FakeTrayHost.h"
#include "FakeWorkspace.h"
#include "RecordingSystemLog.h"
#include "ViewRendering.h"
#include "app/AppDelegate.h"
#include "app/DeveloperPreviewWindows.h"
#include "app/LaunchOptions.h"
#include "dashboard/UsageDashboardWindowController.h"
#include "foundation/SmallFileReader.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "settings/ModuleSettingsModel.h"
#include "settings/ModuleSettingsView.h"
#include "settings/ModuleSettingsWindowController.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"
#include "views/PanelStateModel.h"
#include "views/primitives/DarkPalette.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace pulsegrove;
using namespace pulsegrove::testing;

namespace {

// A delegate on a temporary home with a scripted codex and fake desktop services; it records
// the update hooks it calls.
class AppDelegateTest : public ::testing::Test {
protected:
    ~AppDelegateTest() override
    {
        if (m_delegate)
            m_delegate->applicationWillTerminate();
        m_delegate.reset();
    }

    Environment environment() const
    {
        Environment environment = m_codex.environment();
        for (const auto &[name, folder] :
             {std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_DATA_HOME", "data"},
              std::pair{"XDG_CACHE_HOME", "cache"}})
            environment.set(name, (m_home.path() / folder).string());
        environment.set("TZ", "UTC");
        return environment;
    }

    std::shared_ptr<UserDefaults> standardDefaults() const
    {
        return std::make_shared<UserDefaults>(UserDefaults::standardSuiteName, environment());
    }

    AppDelegate &launch(const QStringList &arguments)
    {
        AppDelegate::Dependencies dependencies{
            environment(),
            standardDefaults(),
            PlatformServices{&m_workspace, m_loginItem, m_log, m_activation,
                             MainBundle("/nowhere/bin/pulsegrove")},
            &m_workspace,
            [this] {
                StatusBarController::Services services;
                services.trayHost = &m_trayHost;
                services.log = m_log;
                services.defaults = standardDefaults();
                services.clock = systemClock();
                services.panelFactory = StatusBarController::productionServices().panelFactory;
                services.screenVisibleHeight = [] { return std::optional<qreal>(900); };
                services.loginItem = m_loginItem;
                services.quitApplication = [] {};
                return services;
            },
            [this] { return m_screenHeight; },
            [this](const QStringList &) { m_hooks.push_back("health marker"); },
            [this] { m_hooks.push_back("rollback notice"); },
        };
        m_delegate = std::make_unique<AppDelegate>(std::move(dependencies));
        m_delegate->applicationWillFinishLaunching();
        m_delegate->applicationDidFinishLaunching(QStringList{QStringLiteral("pulsegrove")} + arguments);
        return *m_delegate;
    }

    QString previewTitle() const
    {
        return m_delegate->previewWindow() ? m_delegate->previewWindow()->windowTitle() : QString();
    }

    IsolatedTheme m_theme;
    TemporaryDirectory m_home;
    FakeCodex m_codex{FakeCodex::answering()};
    FakeWorkspace m_workspace;
    FakeTrayHost m_trayHost;
    std::shared_ptr<FakeLoginItemService> m_loginItem = std::make_shared<FakeLoginItemService>();
    std::shared_ptr<RecordingSystemLog> m_log = std::make_shared<RecordingSystemLog>();
    std::shared_ptr<FakeApplicationActivation> m_activation = std::make_shared<FakeApplicationActivation>();
    std::optional<int> m_screenHeight = 900;
    std::vector<std::string> m_hooks;
    std::unique_ptr<AppDelegate> m_delegate;
};

} // namespace

TEST_F(AppDelegateTest, OnlyAStoredBooleanFalseMakesAnAccessoryApplicationAndAnyPreviewMakesItRegular)
{
    struct Case {
        const char *name;
        std::function<void(UserDefaults &)> store;
        QStringList arguments;
        std::vector<ActivationPolicy> policies;
    };
    using enum ActivationPolicy;
    const auto dockIcon = PulsegrovePreferenceKeys::showDockIcon;
    const std::vector<Case> cases = {
        {"absent", [](UserDefaults &) {}, {}, {regular}},
        {"true", [&](UserDefaults &d) { d.setBool(dockIcon, true); }, {}, {regular}},
        {"a text", [&](UserDefaults &d) { d.setString(dockIcon, "false"); }, {}, {regular}},
        {"false", [&](UserDefaults &d) { d.setBool(dockIcon, false); }, {}, {accessory}},
        {"false with a preview",
         [&](UserDefaults &d) { d.setBool(dockIcon, false); },
         {QStringLiteral("--preview-status-item")},
         {accessory, regular}},
    };
    for (const auto &testCase : cases) {
        standardDefaults()->removePersistentDomain(UserDefaults::standardSuiteName);
        testCase.store(*standardDefaults());
        m_activation->policyChanges.clear();
        launch(testCase.arguments);
        EXPECT_EQ(m_activation->policyChanges, testCase.policies) << testCase.name;
        m_delegate.reset();
    }
}

TEST_F(AppDelegateTest, LaunchRunsAtMostOnePreviewByPrecedenceAtItsSizeAndTheSettingsPreviewAlone)
{
    struct Case {
        QStringList arguments;
        QString previewTitle;
        QSize previewSize;
        bool hasStatusItem;
        std::optional<QuotaPanelStyle> style;
        bool dashboard;
    };
    const auto dashboard = QuotaPanelStyle::dashboard;
    const auto system = QuotaPanelStyle::system;
    // The panel preview's height follows the screen, so only its width is fixed.
    const std::vector<Case> cases = {
        {{}, {}, {}, true, system, false},
        {{QStringLiteral("--preview-settings"), QStringLiteral("--preview")},
         DeveloperPreviewWindows::settingsTitle(),
         QSize(440, 610),
         false,
         std::nullopt,
         false},
        {{QStringLiteral("--preview-system-menu"), QStringLiteral("--preview")},
         DeveloperPreviewWindows::panelTitle(),
         QSize(360, -1),
         true,
         dashboard,
         false},
        {{QStringLiteral("--preview-status-item"), QStringLiteral("--preview-system-menu")},
         DeveloperPreviewWindows::systemMenuTitle(),
         QSize(320, 108),
         true,
         system,
         false},
        {{QStringLiteral("--preview-usage-dashboard"), QStringLiteral("--preview-status-item")},
         DeveloperPreviewWindows::statusItemTitle(),
         QSize(300, 112),
         true,
         system,
         false},
        {{QStringLiteral("--preview-usage-dashboard")}, {}, {}, true, system, true},
        // Options are whole arguments: a longer or joined argument is none of them.
        {{QStringLiteral("--preview=1"), QStringLiteral("x--preview-settings"), QStringLiteral("--PREVIEW")},
         {},
         {},
         true,
         system,
         false},
    };
    for (const auto &testCase : cases) {
        const auto name = testCase.arguments.join(QLatin1Char(' ')).toStdString();
        m_hooks.clear();
        auto &delegate = launch(testCase.arguments);
        EXPECT_EQ(previewTitle(), testCase.previewTitle) << name;
        if (QWidget *window = delegate.previewWindow()) {
            EXPECT_TRUE(window->isVisible()) << name;
            EXPECT_EQ(window->palette().color(QPalette::WindowText),
                      DarkPalette::palette().color(QPalette::WindowText))
                << name << ": light text on the dark surfaces, as in the application's own windows";
            EXPECT_EQ(window->width(), testCase.previewSize.width()) << name;
            if (testCase.previewSize.height() > 0) {
                EXPECT_EQ(window->height(), testCase.previewSize.height()) << name;
            }
            window->close();
            EXPECT_EQ(delegate.previewWindow(), window) << name << ": a closed preview stays";
        }
        EXPECT_EQ(delegate.statusBarController() != nullptr, testCase.hasStatusItem) << name;
        EXPECT_TRUE(delegate.store().allowsSystemSettings()) << name << ": the main store manages them";
        EXPECT_EQ(delegate.store().isPollingEnabled(), testCase.hasStatusItem) << name;
        EXPECT_EQ(bool(delegate.store().moduleSettingsRequestHandler), testCase.hasStatusItem) << name;
        const std::vector<std::string> launchHooks = {"health marker", "rollback notice"};
        EXPECT_EQ(m_hooks, testCase.hasStatusItem ? launchHooks : std::vector<std::string>()) << name;
        if (testCase.style) {
            EXPECT_EQ(delegate.store().panelStyle(), *testCase.style) << name;
        }
        EXPECT_EQ(delegate.usageDashboardController() != nullptr, testCase.dashboard) << name;
        EXPECT_EQ(delegate.settingsPreviewStore() != nullptr,
                  testCase.previewTitle == DeveloperPreviewWindows::settingsTitle())
            << name;
        // A preview's panel style is never stored.
        EXPECT_FALSE(standardDefaults()->containsKey(QuotaStore::panelStyleKey)) << name;
        m_delegate->applicationWillTerminate();
        EXPECT_FALSE(delegate.store().isPollingEnabled()) << name;
        m_delegate.reset();
    }
}

TEST_F(AppDelegateTest, PanelPreviewHeightFollowsTheScreenWithinItsBounds)
{
    for (const auto &[visible, expected] : std::vector<std::pair<std::optional<int>, int>>{
             {500, 480}, {560, 480}, {700, 620}, {850, 770}, {1200, 770}, {std::nullopt, 670}})
        EXPECT_EQ(DeveloperPreviewWindows::panelMaximumHeight(visible), expected) << visible.value_or(-1);
}

TEST_F(AppDelegateTest, SettingsPreviewStartsFromTheMainStoreOnItsOwnSuite)
{
    const auto standard = standardDefaults();
    standard->setString(PulsegrovePreferenceKeys::theme, "sunset");
    standard->setStringList(PulsegrovePreferenceKeys::hiddenModules, {"sparkQuota", "resetHints"});
    standard->setBool(PulsegrovePreferenceKeys::showDockIcon, false);
    for (int run = 0; run < 2; ++run) {
        launch({QStringLiteral("--preview-settings")});
        const UserDefaults suite(DeveloperPreviewWindows::settingsSuiteName, environment());
        EXPECT_EQ(suite.stringValue(PulsegrovePreferenceKeys::theme), "sunset") << run;
        EXPECT_EQ(suite.stringListValue(PulsegrovePreferenceKeys::hiddenModules),
                  (std::vector<std::string>{"resetHints", "sparkQuota"}))
            << run;
        EXPECT_EQ(suite.boolValue(PulsegrovePreferenceKeys::showDockIcon), false) << run;
        EXPECT_EQ(suite.boolValue(PulsegrovePreferenceKeys::automaticallyChecksForUpdates), false) << run;
        EXPECT_FALSE(suite.containsKey(QuotaStore::panelStyleKey)) << run;
        QuotaStore *preview = m_delegate->settingsPreviewStore();
        ASSERT_TRUE(preview);
        EXPECT_EQ(preview->theme(), QuotaThemeID::sunset);
        EXPECT_FALSE(preview->isPollingEnabled());
        // Edits go to the preview's suite only, and the next preview forgets them.
        preview->setTheme(QuotaThemeID::violet);
        preview->showAllModules();
        EXPECT_EQ(standard->stringValue(PulsegrovePreferenceKeys::theme), "sunset");
        EXPECT_EQ(standard->stringListValue(PulsegrovePreferenceKeys::hiddenModules)->size(), 2u);
        m_delegate.reset();
    }
}

// Preferences are written in the background; ending the application (quit, SIGTERM) waits for
// them, here one that was held up by another process's lock until just before the end.
TEST_F(AppDelegateTest, TerminatingWritesWhatWasSet)
{
    AppDelegate &delegate = launch({});
    const auto suiteFile = m_home.path() / "config/Pulsegrove/io.velorn.Pulsegrove.json";
    std::filesystem::create_directories(suiteFile.parent_path());
    const int held = ::open((suiteFile.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    delegate.store().setTheme(QuotaThemeID::emerald);
    ::close(held);
    delegate.applicationWillTerminate();
    EXPECT_NE(SmallFileReader::read(suiteFile, 4096).content.find("emerald"), std::string::npos);
}

TEST_F(AppDelegateTest, DashboardIsReusedWhileOpenAndBuiltAnewAfterClosing)
{
    auto &delegate = launch({});
    delegate.showUsageDashboard();
    auto *first = delegate.usageDashboardController();
    ASSERT_TRUE(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->report().has_value(); }, 10000));
    delegate.showUsageDashboard();
    EXPECT_EQ(delegate.usageDashboardController(), first);

    // The store publishes a snapshot: the open dashboard gets its rows at once.
    delegate.store().refresh(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->report()->quotaSnapshots.size() == 2; }, 20000));
    EXPECT_EQ(first->report()->quotaSnapshots[0].id, "regular-five-hour");
    EXPECT_FALSE(first->report()->quotaSnapshots[0].isStale);

    QPointer<UsageDashboardWindowController> closed(first);
    first->window()->close();
    EXPECT_EQ(delegate.usageDashboardController(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed.isNull(); }, 2000)) << "the closed controller is deleted";
    delegate.store().usageAnalyticsRequestHandler();
    EXPECT_NE(delegate.usageDashboardController(), nullptr);
}

TEST_F(AppDelegateTest, ReopenOpensSettingsOnlyWithoutVisibleWindowsAndAQuotaSurfaceHidesIt)
{
    auto &delegate = launch({});
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(delegate.moduleSettingsController(), nullptr);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    ModuleSettingsWindowController *settings = delegate.moduleSettingsController();
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->window()->isVisible());
    EXPECT_TRUE(AppDelegate::hasVisibleWindows());
    EXPECT_TRUE(settings->contentView());

    delegate.quotaSurfaceWillPresent()();
    EXPECT_FALSE(settings->window()->isVisible());
    EXPECT_FALSE(settings->contentView());
    EXPECT_EQ(delegate.moduleSettingsController(), settings) << "the controller is kept";
    EXPECT_FALSE(AppDelegate::hasVisibleWindows());

    delegate.store().moduleSettingsRequestHandler();
    EXPECT_TRUE(settings->window()->isVisible());
    EXPECT_EQ(delegate.moduleSettingsController(), settings);
}

// A later start's preview opens in the running copy, which keeps its one status item and poller.
TEST_F(AppDelegateTest, AHandedOverPreviewOpensInTheRunningCopy)
{
    auto &delegate = launch({});
    StatusBarController *statusItem = delegate.statusBarController();
    for (const auto &[option, title] : {std::pair{"--preview-status-item", DeveloperPreviewWindows::statusItemTitle()},
                                        {"--preview-unknown", DeveloperPreviewWindows::statusItemTitle()},
                                        {"--preview-settings", DeveloperPreviewWindows::settingsTitle()}}) {
        delegate.openPreview(QLatin1String(option));
        EXPECT_EQ(previewTitle(), title) << option;
        EXPECT_EQ(delegate.statusBarController(), statusItem) << option;
        EXPECT_TRUE(delegate.store().isPollingEnabled()) << option;
    }
}

// The application's options and the toolkit's (with their values) start it, help wins over
// everything, and anything else is refused, naming the first argument not understood.
TEST(LaunchOptionsTests, OwnAndToolkitOptionsStartHelpWinsAndTheRestIsRefused)
{
    using enum LaunchOptions::Action;
    struct Row {
        std::vector<const char *> arguments;
        LaunchOptions::Action action;
        const char *preview;
        const char *unknown;
    };
    const std::vector<Row> rows = {
        {{}, start, "", ""},
        {{"--preview-status-item", "--preview"}, start, "--preview", ""},
        {{"-platform", "--preview", "--style", "fusion", "-reverse", "-style=fusion", "-session", "id",
          "--pulsegrove-update-health-marker", "--help", "--preview-settings"},
         start,
         "--preview-settings",
         ""},
        {{"--preview=1", "file"}, refuse, "", "--preview=1"},
        {{"-session"}, refuse, "", "-session"},
        {{"--bogus", "-h"}, showHelp, "", ""},
    };
    for (const auto &row : rows) {
        QStringList arguments{QStringLiteral("pulsegrove")};
        for (const char *argument : row.arguments)
            arguments.append(QLatin1String(argument));
        const auto options = LaunchOptions::parse(arguments);
        const auto name = arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(options.action(), row.action) << name;
        EXPECT_EQ(options.preview(), QLatin1String(row.preview)) << name;
        EXPECT_EQ(options.unknownArgument(), QLatin1String(row.unknown)) << name;
    }
}

// On Linux the quota percentage sits in the tray: no help line, preview window or text about the
// percentage names the menu bar of another desktop.
TEST(LinuxWordingTests, TextsNameTheTrayNotAMenuBar)
{
    QStringList texts = LaunchOptions::helpText().split(QLatin1Char('\n'));
    texts << DeveloperPreviewWindows::settingsTitle() << DeveloperPreviewWindows::panelTitle()
          << DeveloperPreviewWindows::systemMenuTitle() << DeveloperPreviewWindows::statusItemTitle()
          << ModuleSettingsModel::footerNote() << PanelStateModel::modulesHiddenDetail();
    for (QWidget *content : {DeveloperPreviewWindows::makeStatusItemContent(QStringLiteral("PG")),
                             DeveloperPreviewWindows::makeSystemMenuContent({})}) {
        for (const QLabel *label : content->findChildren<QLabel *>())
            texts.append(label->text());
        delete content;
    }
    for (const QString &text : texts)
        EXPECT_FALSE(text.contains(QString::fromUtf8("菜单栏"))) << text.toStdString();
}

TEST_F(AppDelegateTest, ClosuresHandedOutDoNothingOnceTheDelegateIsGone)
{
    auto &delegate = launch({});
    auto handler = delegate.store().moduleSettingsRequestHandler;
    auto willPresent = delegate.quotaSurfaceWillPresent();
    delegate.applicationWillTerminate();
    m_delegate.reset();
    handler();
    willPresent();
    EXPECT_FALSE(AppDelegate::hasVisibleWindows());
}
