#include "StatusBarControllerTestFixture.h"
#include "ViewRendering.h"
#include "statusitem/PopoverGeometry.h"
#include "views/panel/QuotaPanelView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace pulsegrove::testing {
namespace {

class Popover : public StatusBarControllerTest {
protected:
    StatusBarController &makeDashboard()
    {
        m_defaults->setString(QuotaStore::panelStyleKey, "dashboard");
        auto &controller = makeController();
        m_store->setModuleVisible(QuotaModule::systemMetrics, true);
        turn();
        return controller;
    }
    void click()
    {
        m_trayHost.lastIcon->click();
        turn();
    }
    FakePanel *panel() { return dynamic_cast<FakePanel *>(m_controller->popover().content()); }
};

TEST_F(Popover, EachOpeningHostsAFreshPanelWhoseSurfaceIsWithdrawnOnClose)
{
    auto &controller = makeDashboard();
    QStringList surfaceIDs;
    for (int round = 0; round < 2; ++round) {
        click();
        ASSERT_TRUE(controller.popover().isShown());
        ASSERT_TRUE(panel());
        const QString id = *controller.popoverSurfaceID();
        EXPECT_EQ(panel()->surfaceID, id);
        EXPECT_EQ(m_store->visibleSurfaces(), QSet<QString>{id});
        EXPECT_EQ(m_metricsStore->visibleConsumers(), QSet<QString>{id});
        EXPECT_TRUE(controller.statusItem().isHighlighted());
        EXPECT_EQ(m_surfaceWillPresentCalls, round + 1);
        QPointer<FakePanel> shown = panel();
        QPointer<StatusPopover> window = &controller.popover();
        click();
        EXPECT_FALSE(controller.isPopoverShown());
        EXPECT_FALSE(controller.statusItem().isHighlighted());
        EXPECT_FALSE(controller.popoverSurfaceID());
        EXPECT_TRUE(noSurfaceVisible());
        EXPECT_TRUE(shown.isNull()) << "a closed popover holds no view tree";
        turn();
        EXPECT_TRUE(window.isNull()) << "nor its window and backing store";
        surfaceIDs << id;
    }
    EXPECT_NE(surfaceIDs[0], surfaceIDs[1]);
}

TEST_F(Popover, TheQuotaPanelClaimsAndWithdrawsItsSurfaceAndSizesThePopover)
{
    m_useQuotaPanel = true;
    auto &controller = makeDashboard();
    click();
    auto *panel = qobject_cast<QuotaPanelView *>(controller.popover().content());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->surfaceID(), *controller.popoverSurfaceID());
    EXPECT_EQ(m_store->visibleSurfaces(), QSet<QString>{panel->surfaceID()});
    EXPECT_EQ(m_metricsStore->visibleConsumers(), QSet<QString>{panel->surfaceID()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->preferredHeight().has_value(); }, 5000));
    turn();
    EXPECT_EQ(controller.preferredPopoverHeight(), panel->lastReportedHeight());
    EXPECT_EQ(controller.popover().contentSize(), QSize(360, qRound(panel->lastReportedHeight())));
    testing::snapshot(controller.popover().grab().toImage(), QStringLiteral("popover"));
    click();
    EXPECT_TRUE(noSurfaceVisible());
}

TEST_F(Popover, ThePanelIsBuiltForTheScreenAndItsReportsResizeOnlyBeyondHalfAPoint)
{
    m_screenHeight = 700.0;
    auto &controller = makeDashboard();
    click();
    ASSERT_TRUE(panel());
    EXPECT_EQ(panel()->maximumHeight, 652.0);
    EXPECT_EQ(controller.configuredPopoverMaximumHeight(), 652.0);
    // The panel has not reported yet: the popover is as high as the limit allows.
    EXPECT_EQ(controller.popover().contentSize(), QSize(360, 652));
    const struct {
        qreal reported;
        QSize expected;
    } reports[] = {
        {600.0, {360, 600}},
        // Within 0.5 of the current size: not written (it would round to 601).
        {600.5, {360, 600}},
        {600.6, {360, 601}},
        {900.0, {360, 652}},
        {120.0, {360, 120}},
    };
    for (const auto &r : reports) {
        panel()->reportHeight(r.reported);
        EXPECT_EQ(controller.popover().contentSize(), r.expected) << r.reported;
        EXPECT_EQ(controller.preferredPopoverHeight(), r.reported);
    }
    // The preferred height outlives the panel that reported it.
    click();
    click();
    EXPECT_EQ(controller.popover().contentSize(), QSize(360, 120));
    click();
}

TEST_F(Popover, SwitchingToTheSystemStyleWhileOpenClosesIt)
{
    auto &controller = makeDashboard();
    click();
    ASSERT_TRUE(controller.popover().isShown());
    m_store->setPanelStyle(QuotaPanelStyle::system, true);
    turn();
    EXPECT_FALSE(controller.popover().isShown());
    EXPECT_FALSE(controller.statusItem().isHighlighted());
    EXPECT_EQ(controller.statusItem().menu(), controller.systemMenu().menu());
    EXPECT_FALSE(controller.statusItem().hasAction());
    EXPECT_TRUE(noSurfaceVisible());
    controller.toggleDashboardPopover();
    EXPECT_FALSE(controller.popover().isShown()) << "the system style has no popover";
}

TEST_F(Popover, DeactivationEscapeAndOpeningSettingsCloseIt)
{
    auto &controller = makeDashboard();
    int settingsRequests = 0;
    m_store->moduleSettingsRequestHandler = [&] { ++settingsRequests; };
    const std::pair<const char *, std::function<void()>> closers[] = {
        {"deactivation", [] { Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive); }},
        {"escape",
         [&] {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(&controller.popover(), &escape);
         }},
        {"settings", [&] { controller.showModuleSettings(); }},
        {"quota surfaces", [&] { controller.closeQuotaSurfaces(); }},
    };
    for (const auto &[name, close] : closers) {
        click();
        ASSERT_TRUE(controller.popover().isShown()) << name;
        close();
        turn();
        EXPECT_FALSE(controller.popover().isShown()) << name;
        EXPECT_FALSE(controller.statusItem().isHighlighted()) << name;
        EXPECT_TRUE(noSurfaceVisible()) << name;
    }
    EXPECT_EQ(settingsRequests, 1);
}

TEST_F(Popover, ItHangsFromTheTrayIconAndNeverLeavesTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char *name;
        QRect icon;
    } icons[] = {
        {"top right", {screen.right() - 20, screen.top(), 20, 24}},
        {"bottom right", {screen.right() - 20, screen.bottom() - 23, 20, 24}},
        {"no geometry: at the pointer", {}},
    };
    for (const auto &i : icons) {
        m_trayHost.nextIconGeometry = i.icon;
        m_trayHost.setKind(TrayHostKind::none);
        m_trayHost.setKind(TrayHostKind::xembed);
        if (!m_controller)
            makeDashboard();
        m_screenHeight = screen.height();
        click();
        auto &popover = m_controller->popover();
        ASSERT_TRUE(popover.isShown()) << i.name;
        const QRect frame = popover.geometry();
        EXPECT_TRUE(screen.contains(frame)) << i.name;
        if (i.icon.isValid()) {
            EXPECT_EQ(frame, PopoverGeometry::frame(frame.size(), i.icon, screen)) << i.name;
            EXPECT_TRUE(frame.bottom() < i.icon.top() || frame.top() > i.icon.bottom()) << "covers the icon";
        }
        click();
    }
}

TEST_F(Popover, WhereTheCompositorPlacesWindowsItIsAFramelessDialog)
{
    m_trayHost.placement = PopupPlacement::compositor;
    auto &controller = makeDashboard();
    const Qt::WindowFlags flags = controller.popover().windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    click();
    EXPECT_TRUE(controller.popover().isShown());
    click();
    EXPECT_TRUE(noSurfaceVisible());
}

} // namespace
} // namespace pulsegrove::testing
