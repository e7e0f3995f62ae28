#include "StatusBarControllerTestFixture.h"
#include "ViewRendering.h"
#include "preferences/PulsegrovePreferenceKeys.h"

#include <QSignalSpy>

namespace pulsegrove::testing {
namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

SystemMetricsSnapshot hotspot(double celsius)
{
    SystemMetricsSnapshot snapshot;
    snapshot.cpuTemperatureCelsius = celsius;
    snapshot.temperatureSource = CPUTemperatureSource::cpuDieHotspot;
    snapshot.cpuUsagePercent = 12.5;
    return snapshot;
}

using Controller = StatusBarControllerTest;

// The title, its dimming, the tool tip and the accessibility texts for each state of the stores.
TEST_F(Controller, StatusItemTextsFollowTheQuotaAndMetricsStores)
{
    auto &controller = makeController(true, rateLimits(30, 60));
    StatusItem &item = controller.statusItem();
    const auto expect = [&](const char *state, const char *title, qreal alpha, const char *value,
                            const char *label) {
        EXPECT_EQ(item.title(), QString::fromUtf8(title)) << state;
        EXPECT_EQ(item.alpha(), alpha) << state;
        EXPECT_EQ(item.toolTip(), u("Pulse Grove · ") + u(value)) << state;
        EXPECT_EQ(item.accessibilityValue(), u(value)) << state;
        EXPECT_EQ(item.accessibilityLabel(), u(label)) << state;
        EXPECT_EQ(m_trayHost.lastIcon->toolTip, item.toolTip()) << state;
    };
    expect("nothing known yet", "PG", 0.62, "额度不可用，数据可能已过期 · CPU 核心温度不可用",
           "Codex 额度与本机状态");

    refreshQuota();
    expect("fresh quota, no metrics", "40%", 1.0, "5 小时剩余 70%，每周剩余 40% · CPU 核心温度不可用",
           "Codex 额度与本机状态");

    sampleMetrics(hotspot(62.4));
    turn();
    expect("fresh metrics", "40%", 1.0, "5 小时剩余 70%，每周剩余 40% · CPU 核心热点 62°C",
           "Codex 额度与本机状态");

    m_now = m_now.addingSeconds(20);
    m_store->setModuleVisible(QuotaModule::sparkQuota, false); // any change makes a sync
    turn();
    expect("stale metrics", "40%", 1.0, "5 小时剩余 70%，每周剩余 40% · CPU 核心温度不可用",
           "Codex 额度与本机状态");

    m_store->setModuleVisible(QuotaModule::systemMetrics, false);
    turn();
    expect("metrics module hidden", "40%", 1.0, "5 小时剩余 70%，每周剩余 40%", "Codex 额度");

    m_now = m_now.addingSeconds(900);
    m_store->setModuleVisible(QuotaModule::sparkQuota, true);
    turn();
    expect("quota older than 900 s", "40%", 0.62, "5 小时剩余 70%，每周剩余 40%，数据可能已过期",
           "Codex 额度");
}

// With reset reminders on, a reset within the hour joins the tool tip; one two hours away does not.
TEST_F(Controller, AnImminentResetJoinsTheToolTipWhenRemindersAreOn)
{
    const std::int64_t now = std::int64_t(m_now.unixSeconds());
    const auto result = [&](std::int64_t resetIn) {
        return R"({"rateLimits":{"planType":"plus","primary":{"usedPercent":30,"windowDurationMins":300,"resetsAt":)" +
               std::to_string(now + resetIn) +
               R"(},"secondary":{"usedPercent":60,"windowDurationMins":10080}}})";
    };
    const struct {
        const char *name;
        std::int64_t resetIn;
        bool reminders, hintsShown;
        const char *expected;
    } cases[] = {
        {"20 minutes", 1200, true, true,
         "Pulse Grove · 5 小时剩余 70%，每周剩余 40% · 下次重置：5 小时额度 · 1 小时内重置"},
        {"two hours", 7200, true, true, "Pulse Grove · 5 小时剩余 70%，每周剩余 40%"},
        {"reminders off", 1200, false, true, "Pulse Grove · 5 小时剩余 70%，每周剩余 40%"},
        {"hints hidden", 1200, true, false, "Pulse Grove · 5 小时剩余 70%，每周剩余 40%"},
    };
    for (const auto &c : cases) {
        m_defaults->setBool(PulsegrovePreferenceKeys::resetReminders, c.reminders);
        auto &controller = makeController(true, result(c.resetIn));
        m_store->setModuleVisible(QuotaModule::systemMetrics, false);
        m_store->setModuleVisible(QuotaModule::resetHints, c.hintsShown);
        refreshQuota();
        EXPECT_EQ(controller.statusItem().toolTip(), u(c.expected)) << c.name;
        EXPECT_EQ(controller.statusItem().accessibilityValue(), u(c.expected).mid(14)) << c.name;
        m_controller.reset();
    }
}

TEST_F(Controller, ManyStoreChangesInOneTurnGiveOneSyncInALaterTurn)
{
    auto &controller = makeController();
    QSignalSpy syncs(&controller, &StatusBarController::synced);
    m_store->setModuleVisible(QuotaModule::sparkQuota, false);
    m_store->setModuleVisible(QuotaModule::resetCredits, false);
    m_store->setTheme(QuotaThemeID::violet);
    EXPECT_EQ(syncs.count(), 0) << "the sync runs in a later turn";
    turn();
    EXPECT_EQ(syncs.count(), 1);
    EXPECT_FALSE(controller.isStoreSyncScheduled());

    // Likewise a sample: its start is one update, its result (sampling, snapshot, error) another.
    QSignalSpy metricsSyncs(&controller, &StatusBarController::metricsSynced);
    sampleMetrics(SystemMetricsSnapshot{});
    turn();
    EXPECT_EQ(metricsSyncs.count(), 2);
}

TEST_F(Controller, TheNativeMenuClaimsItsSurfacesOnlyWhileOpen)
{
    makeController(true, rateLimits(30, 60));
    refreshQuota();
    const struct {
        const char *name;
        bool systemMetrics;
    } cases[] = {{"system module shown", true}, {"system module hidden", false}};
    for (const auto &c : cases) {
        m_store->setModuleVisible(QuotaModule::systemMetrics, c.systemMetrics);
        turn();
        const int presented = m_surfaceWillPresentCalls;
        openMenu();
        EXPECT_TRUE(m_controller->isSystemMenuVisible()) << c.name;
        EXPECT_EQ(m_store->visibleSurfaces(), QSet<QString>{StatusBarController::systemMenuSurfaceID()})
            << c.name;
        EXPECT_EQ(m_metricsStore->visibleConsumers().contains(StatusBarController::systemMenuSurfaceID()),
                  c.systemMetrics)
            << c.name;
        EXPECT_EQ(m_surfaceWillPresentCalls, presented + 1);
        closeMenu();
        EXPECT_FALSE(m_controller->isSystemMenuVisible());
        EXPECT_TRUE(noSurfaceVisible()) << c.name;
        settle(*m_store);
    }
    // Hiding the system module while the menu is open gives up the menu's claim on sampling.
    m_store->setModuleVisible(QuotaModule::systemMetrics, true);
    turn();
    openMenu();
    m_store->setModuleVisible(QuotaModule::systemMetrics, false);
    turn();
    EXPECT_TRUE(m_metricsStore->visibleConsumers().isEmpty());
    closeMenu();
    EXPECT_TRUE(noSurfaceVisible());
}

// The layout with no data and every module: each row's text, whether it shows and acts.
TEST_F(Controller, MenuRowsWithoutDataShowPlaceholdersAndEverySection)
{
    m_codexScript = {"hang"};
    makeController(false);
    // No sample either: one arriving before the rows are read would fill the device rows.
    m_metricsStore->setSamplerFactory([] { return nullptr; });
    openMenu();
    EXPECT_EQ(row(StatusMenuItem::refresh).text(), u("立即刷新"))
        << "the refresh starts after the rows are filled";
    turn();
    const auto indented = [](const char *text) { return SystemStatusMenu::indented(u(text), 1); };
    const struct {
        StatusMenuItem item;
        QString text;
        bool visible, enabled;
    } rows[] = {
        {StatusMenuItem::header, u("Pulse Grove · CODEX · 等待"), true, true},
        {StatusMenuItem::fiveHour, u("5 小时额度：--%"), true, true},
        {StatusMenuItem::fiveHourDetail, indented("暂无数据"), true, false},
        {StatusMenuItem::quotaStatus, QString(), false, false},
        {StatusMenuItem::resetCredits, u("重置次数：-- 次"), true, true},
        {StatusMenuItem::temperature, u("CPU 核心温度：--°C"), true, true},
        {StatusMenuItem::temperatureDetail, indented("温度传感器不可用 · 系统热状态：--"), true, false},
        {StatusMenuItem::refresh, u("正在刷新额度…"), true, false},
        {StatusMenuItem::launchAtLogin, u("开机自动启动"), true, false},
        // A hidden row is disabled too, so its shortcut cannot fire.
        {StatusMenuItem::loginSettings, u("打开自启动设置…"), false, false},
        {StatusMenuItem::styleSwitch, u("切换到信息面板样式"), true, true},
    };
    for (const auto &r : rows) {
        const QAction &action = row(r.item);
        EXPECT_EQ(action.text(), r.text) << int(r.item) << " " << action.text().toStdString();
        EXPECT_EQ(action.isVisible(), r.visible) << r.text.toStdString();
        EXPECT_EQ(action.isEnabled(), r.enabled) << r.text.toStdString();
    }
    for (const auto separator : {StatusMenuItem::normalSparkSeparator, StatusMenuItem::quotaDeviceSeparator,
                                 StatusMenuItem::actionsSeparator})
        EXPECT_TRUE(row(separator).isVisible() && row(separator).isSeparator());
    EXPECT_TRUE(row(StatusMenuItem::launchAtLogin).isCheckable());
    closeMenu();
    // Without system settings the login items page stays closed even when asked for directly.
    m_controller->openLoginItemsSettings();
    EXPECT_EQ(m_loginItem->openSettingsCalls, 0);
}

// Rows change while the menu is open: the refresh ends, a module goes, an error comes.
TEST_F(Controller, AStoreChangeWhileTheMenuIsOpenRewritesItsRows)
{
    makeController(true, rateLimits(std::nullopt, 60, R"(,"rateLimitResetCredits":{"availableCount":-3})"));
    openMenu();
    settle(*m_store);
    turn();
    EXPECT_EQ(row(StatusMenuItem::header).text(), u("Pulse Grove · PLUS · 实时"));
    EXPECT_EQ(row(StatusMenuItem::weekly).text(), u("每周额度：40% 剩余"));
    EXPECT_FALSE(row(StatusMenuItem::fiveHour).isVisible()) << "the snapshot has no five-hour window";
    EXPECT_TRUE(row(StatusMenuItem::refresh).isEnabled());
    EXPECT_EQ(row(StatusMenuItem::resetCredits).text(), u("重置次数：0 次可用"));

    m_store->setModuleVisible(QuotaModule::standardQuota, false);
    m_store->setModuleVisible(QuotaModule::resetCredits, false);
    m_store->setModuleVisible(QuotaModule::sparkQuota, false);
    turn();
    EXPECT_FALSE(row(StatusMenuItem::normalSection).isVisible());
    EXPECT_TRUE(row(StatusMenuItem::actionsSeparator).isVisible()) << "the system module still shows";
    closeMenu();

    // A refresh that fails while the menu is open: the last data stay, with the warning.
    m_store->setModuleVisible(QuotaModule::standardQuota, true);
    openMenu();
    std::filesystem::remove(m_answeringCodex->path());
    await(m_store->refresh(true));
    settle(*m_store);
    turn();
    EXPECT_EQ(row(StatusMenuItem::header).text(), u("Pulse Grove · PLUS · 缓存"));
    EXPECT_EQ(row(StatusMenuItem::quotaStatus).text(),
              SystemStatusMenu::indented(u("刷新失败，当前显示上次数据"), 1));
    EXPECT_TRUE(row(StatusMenuItem::quotaStatus).isVisible());
    EXPECT_EQ(row(StatusMenuItem::weekly).text(), u("每周额度：40% 剩余"));
    closeMenu();
    EXPECT_TRUE(noSurfaceVisible());
}

// The notice store is told whether the menu shows notices, and the hint rows follow its state.
TEST_F(Controller, TheResetHintSubmenuFollowsTheNoticeStoreWhileTheMenuIsOpen)
{
    m_catalog = QuotaInsightsCatalog{QStringLiteral("2026-03-01"),
                                     {{QStringLiteral("m"), QStringLiteral("GPT-5.4 & mini"), std::nullopt,
                                       std::nullopt, std::nullopt, std::nullopt}}};
    makeController(true, rateLimits(30, 60));
    refreshQuota();
    const auto rows = [](QMenu *menu) {
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    };
    m_store->setModuleVisible(QuotaModule::resetHints, false);
    turn();
    openMenu();
    EXPECT_FALSE(m_noticeStore->isVisible());
    EXPECT_EQ(m_feedChecks, 0);
    closeMenu();

    m_store->setModuleVisible(QuotaModule::resetHints, true);
    m_feed = QList<QuotaNotice>{{QStringLiteral("n1"),
                                 u("临时重置 & 补偿"),
                                 u("额度已重置"),
                                 {},
                                 m_now,
                                 m_now.addingSeconds(86400),
                                 std::nullopt}};
    turn();
    openMenu();
    EXPECT_TRUE(m_noticeStore->isVisible());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rows(m_controller->systemMenu().resetHintMenu()).size() == 4; }, 5000));
    EXPECT_EQ(rows(m_controller->systemMenu().resetHintMenu()),
              (QStringList{u("Codex 暂未返回任何额度窗口的重置时间"), QStringLiteral("-"),
                           u("临时重置 && 补偿"), u("额度已重置")}));
    EXPECT_EQ(row(StatusMenuItem::resetHint).text(), u("等待账户重置时间"));
    EXPECT_EQ(rows(m_controller->systemMenu().modelInsightsMenu()),
              (QStringList{u("credits / 100 万 tokens；不是每次请求额度百分比"),
                           QStringLiteral("GPT-5.4 && mini"), u("核实日期：2026-03-01")}));
    closeMenu();
    EXPECT_FALSE(m_noticeStore->isVisible());
    EXPECT_TRUE(noSurfaceVisible());
}

// The open menu with a full quota: every row fits its width.
TEST_F(Controller, TheOpenMenuShowsEveryRowWhole)
{
    makeController(true, rateLimits(30, 60, R"(,"rateLimitResetCredits":{"availableCount":2})"));
    refreshQuota();
    openMenu();
    settle(*m_store);
    turn();
    const QFontMetrics metrics(menu().font());
    int widest = 0;
    for (const QAction *action : menu().actions())
        if (action->isVisible())
            widest = std::max(widest, metrics.horizontalAdvance(action->text()));
    EXPECT_GT(menu().width(), widest);
    snapshot(menu().grab().toImage(), QStringLiteral("menu"));
    closeMenu();
}

TEST_F(Controller, MenuActionsReachTheStoresAndTheHandlers)
{
    m_loginItem = std::make_shared<FakeLoginItemService>(LoginItemStatus::requiresApproval);
    auto &controller = makeController();
    int settingsRequests = 0, analyticsRequests = 0;
    m_store->moduleSettingsRequestHandler = [&] { ++settingsRequests; };
    m_store->usageAnalyticsRequestHandler = [&] { ++analyticsRequests; };
    openMenu();
    EXPECT_TRUE(row(StatusMenuItem::loginSettings).isVisible());
    EXPECT_EQ(row(StatusMenuItem::launchAtLogin).text(), u("开机自动启动（等待批准）"));
    row(StatusMenuItem::loginSettings).trigger();
    EXPECT_EQ(m_loginItem->openSettingsCalls, 1);
    for (const auto status : {LoginItemStatus::notRegistered, LoginItemStatus::enabled}) {
        row(StatusMenuItem::launchAtLogin).trigger();
        turn();
        EXPECT_EQ(m_loginItem->status(), status);
    }

    row(StatusMenuItem::moduleSettings).trigger();
    EXPECT_FALSE(menu().isVisible()) << "the menu stops tracking first";
    EXPECT_EQ(settingsRequests, 0) << "the handler runs in a later turn";
    turn();
    EXPECT_EQ(settingsRequests, 1);
    row(StatusMenuItem::usageAnalytics).trigger();
    turn();
    EXPECT_EQ(analyticsRequests, 1);
    row(StatusMenuItem::quit).trigger();
    EXPECT_EQ(m_quitCalls, 1);

    openMenu();
    row(StatusMenuItem::styleSwitch).trigger();
    EXPECT_FALSE(menu().isVisible());
    turn();
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "dashboard");
    turn();
    EXPECT_EQ(controller.appliedStyle(), QuotaPanelStyle::dashboard);
    EXPECT_EQ(controller.statusItem().menu(), nullptr);
    EXPECT_TRUE(controller.statusItem().hasAction());
    EXPECT_TRUE(noSurfaceVisible());

    // Right click keeps the menu in the panel style, and its switch leads back.
    m_trayHost.lastIcon->rightClick();
    ASSERT_TRUE(menu().isVisible());
    EXPECT_EQ(row(StatusMenuItem::styleSwitch).text(), u("切换到系统菜单"));
    row(StatusMenuItem::styleSwitch).trigger();
    turn();
    turn();
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "system");
    EXPECT_EQ(controller.statusItem().menu(), &menu());
}

TEST_F(Controller, ThePreviewOpensTheMenuInTheSystemStyleWithoutStoringIt)
{
    m_defaults->setString(QuotaStore::panelStyleKey, "dashboard");
    auto &controller = makeController();
    EXPECT_EQ(controller.appliedStyle(), QuotaPanelStyle::dashboard);
    QWidget window;
    window.resize(200, 100);
    window.show();
    controller.showSystemMenuFromPreview(&window);
    EXPECT_EQ(m_store->panelStyle(), QuotaPanelStyle::system);
    EXPECT_EQ(m_defaults->stringValue(QuotaStore::panelStyleKey), "dashboard");
    EXPECT_EQ(controller.appliedStyle(), QuotaPanelStyle::system);
    EXPECT_TRUE(menu().isVisible());
    EXPECT_EQ(controller.statusItem().menu(), &menu());
    controller.closeQuotaSurfaces();
    EXPECT_FALSE(menu().isVisible());
    EXPECT_TRUE(noSurfaceVisible());
}

TEST_F(Controller, ATrayThatAppearsLateGetsTheStyleAndTheTitle)
{
    m_trayHost.setKind(TrayHostKind::none);
    m_defaults->setString(QuotaStore::panelStyleKey, "dashboard");
    auto &controller = makeController(true, rateLimits(30, 60));
    refreshQuota();
    EXPECT_FALSE(controller.statusItem().hasButton());
    controller.toggleDashboardPopover();
    EXPECT_FALSE(controller.popover().isShown()) << "no button, no popover";
    EXPECT_EQ(controller.appliedStyle(), QuotaPanelStyle::dashboard);

    m_trayHost.setKind(TrayHostKind::xembed);
    EXPECT_EQ(controller.statusItem().title(), QStringLiteral("40%"));
    EXPECT_TRUE(controller.statusItem().hasAction());
    m_trayHost.lastIcon->click();
    EXPECT_TRUE(controller.popover().isShown());
    controller.closeQuotaSurfaces();
    EXPECT_TRUE(noSurfaceVisible());
}

} // namespace
} // namespace pulsegrove::testing
