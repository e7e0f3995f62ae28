#include "DesktopPixels.h"
#include "DesktopTest.h"
#include "StatusItemApplication.h"
#include "TrayClickFilter.h"
#include "statusitem/PopoverGeometry.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

namespace pulsegrove::testing {
namespace {

// The real application objects on the private desktop: a store fed by a scripted codex, the
// metrics store and the controller with the desktop's own tray host.
class StatusItemOnADesktop : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_app = std::make_unique<StatusItemApplication>();
        m_store = m_app->store.get();
        m_controller = m_app->controller.get();
        m_store->refresh(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_store->isRefreshing() && m_store->snapshot(); }, 30000));
        ASSERT_TRUE(waitUntilDocked()) << "the icon never docked in the tray";
    }
    void TearDown() override { m_app.reset(); }

    StatusItem &item() { return m_controller->statusItem(); }
    bool waitUntilDocked()
    {
        return QTest::qWaitFor([&] { return item().hasButton() && item().buttonGeometry().isValid(); },
                               20000);
    }
    // What the screen shows where the tray says the icon is.
    QImage grabIcon()
    {
        const QRect icon = item().buttonGeometry();
        return grabScreen(icon.x(), icon.y(), icon.width(), icon.height());
    }
    // Saves the screen to $PULSEGROVE_VIEW_SNAPSHOTS/<name>.png, once the windows have painted.
    void save(const QString &name)
    {
        const QString folder = qEnvironmentVariable("PULSEGROVE_VIEW_SNAPSHOTS");
        if (folder.isEmpty())
            return;
        QTest::qWait(500);
        if (QDir().mkpath(folder))
            session->screenshot(QDir(folder).filePath(name + QStringLiteral(".png")).toStdString());
    }
    // A click, at least the debounce interval after the one before.
    void clickIcon(const char *button = "1")
    {
        QTest::qWait(TrayClickFilter::debounceMilliseconds + 50);
        clickAt(item().buttonGeometry().center(), button);
    }
    void clickAt(QPoint point, const char *button = "1")
    {
        ASSERT_TRUE(session->run(
            {"xdotool", "mousemove", std::to_string(point.x()), std::to_string(point.y()), "click", button}));
    }
    void press(const char *key) { ASSERT_TRUE(session->run({"xdotool", "key", key})); }
    void useStyle(QuotaPanelStyle style)
    {
        m_store->setPanelStyle(style, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->appliedStyle() == style; }, 5000));
    }
    bool noSurfaceVisible() const { return m_app->noSurfaceVisible(); }

    std::unique_ptr<StatusItemApplication> m_app;
    QuotaStore *m_store = nullptr;
    StatusBarController *m_controller = nullptr;
};

TEST_F(StatusItemOnADesktop, TheIconDocksInTheTrayAndShowsTheTitle)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return item().title() == QStringLiteral("40%"); }, 5000));
    QTest::qWait(200); // the tray repaints the icon
    const auto tray = session->trayGeometry();
    ASSERT_TRUE(tray);
    const QRect icon = item().buttonGeometry();
    EXPECT_TRUE(QRect(tray->x, tray->y, tray->width, tray->height).contains(icon))
        << "icon " << icon.x() << "," << icon.y() << " " << icon.width() << "x" << icon.height();
    save(QStringLiteral("desktop-tray"));
    // The tray shows the drawn title: as much of the square stands out as in the drawing.
    const QImage shown = grabIcon();
    const int side = std::min(icon.width(), icon.height());
    EXPECT_GT(drawnShare(shown), 0.1);
    EXPECT_NEAR(drawnShare(shown.copy(0, 0, side, side)), titleShare(item().title(), side, shown.pixel(0, 0)),
                0.08);
    for (const auto &entry : m_app->log->entries)
        EXPECT_NE(entry.category, QStringLiteral("statusItem")) << "a tray was there: nothing to report";
}

TEST_F(StatusItemOnADesktop, AClickOpensThePopoverAtTheIconAndEscapeClosesIt)
{
    useStyle(QuotaPanelStyle::dashboard);
    for (int round = 0; round < 2; ++round) {
        clickIcon();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->isPopoverShown(); }, 5000))
            << "round " << round;
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->popover().geometry().top() > 0; }, 2000));
        const QRect icon = item().buttonGeometry();
        const QRect frame = m_controller->popover().frameGeometry();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(frame.top(), icon.bottom() + 1 + PopoverGeometry::anchorGap);
        EXPECT_TRUE(screen.contains(frame));
        EXPECT_LE(std::abs(frame.center().x() - icon.center().x()),
                  1 + std::max(0, frame.right() - screen.right()) + frame.width() / 2);
        EXPECT_EQ(m_store->visibleSurfaces().size(), 1);
        if (round == 0) {
            save(QStringLiteral("desktop-popover"));
            press("Escape");
        } else {
            // A second click on the icon closes the popover and does not open it again.
            clickIcon();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_controller->isPopoverShown(); }, 5000))
            << "round " << round;
        QTest::qWait(400);
        EXPECT_FALSE(m_controller->isPopoverShown()) << "round " << round;
        EXPECT_TRUE(noSurfaceVisible());
    }
}

TEST_F(StatusItemOnADesktop, InTheSystemStyleAClickOpensTheMenu)
{
    useStyle(QuotaPanelStyle::system);
    QMenu *menu = m_controller->systemMenu().menu();
    clickIcon();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000));
    EXPECT_TRUE(m_controller->isSystemMenuVisible());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(menu->geometry()));
    EXPECT_LE(std::abs(menu->geometry().top() - item().buttonGeometry().bottom()), 8);
    save(QStringLiteral("desktop-menu"));
    press("Escape");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 5000));
    EXPECT_TRUE(noSurfaceVisible());
}

// The right-click menu, kept in both styles: it opens beside the icon, not over it, and its style
// row, clicked on screen, switches to the other style.
TEST_F(StatusItemOnADesktop, TheRightClickMenuOpensBesideTheIconAndSwitchesTheStyle)
{
    const struct {
        QuotaPanelStyle style, offered;
        const char *text;
    } cases[] = {
        {QuotaPanelStyle::dashboard, QuotaPanelStyle::system, "切换到系统菜单"},
        {QuotaPanelStyle::system, QuotaPanelStyle::dashboard, "切换到信息面板样式"},
    };
    QMenu *menu = m_controller->systemMenu().menu();
    QAction *styleSwitch = m_controller->systemMenu().item(StatusMenuItem::styleSwitch);
    for (const auto &c : cases) {
        useStyle(c.style);
        clickIcon("3");
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000)) << c.text;
        const QRect icon = item().buttonGeometry();
        EXPECT_EQ(menu->geometry().top(), icon.bottom() + 1 + PopoverGeometry::anchorGap) << c.text;
        EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(menu->geometry()));
        EXPECT_EQ(styleSwitch->text(), QString::fromUtf8(c.text));
        if (c.style == QuotaPanelStyle::dashboard)
            save(QStringLiteral("desktop-context-menu"));
        clickAt(menu->mapToGlobal(menu->actionGeometry(styleSwitch).center()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->appliedStyle() == c.offered; }, 5000))
            << c.text;
        EXPECT_FALSE(menu->isVisible());
        EXPECT_TRUE(noSurfaceVisible());
    }
}

// The same application with the tray docked at the bottom of the screen, where menus open above
// the icon; the tray goes back to the top for the tests after.
class StatusItemOnABottomTray : public StatusItemOnADesktop {
protected:
    void SetUp() override
    {
        if (session)
            session->startTray(DesktopSession::Edge::bottom);
        StatusItemOnADesktop::SetUp();
    }
    void TearDown() override
    {
        StatusItemOnADesktop::TearDown();
        if (session)
            session->startTray();
    }
    // Where the X server has the window, which is what the user sees.
    static QRect onScreen(const QWidget &window)
    {
        const auto shown = session->windowGeometry(std::to_string(window.winId()));
        return shown ? QRect(shown->x, shown->y, shown->width, shown->height) : QRect();
    }
};

// Rows that appear while the menu is open (modules turned on, then their figures arriving) make it
// taller. Above a bottom tray it must grow upwards, its bottom edge staying beside the icon rather
// than sliding over the tray, whichever click opened it.
TEST_F(StatusItemOnABottomTray, TheMenuOpensAboveTheIconAndStaysBesideItAsItGrows)
{
    const struct {
        QuotaPanelStyle style;
        const char *button;
    } cases[] = {{QuotaPanelStyle::system, "1"}, {QuotaPanelStyle::dashboard, "3"}};
    const QuotaModule added[] = {QuotaModule::systemMetrics, QuotaModule::modelInsights,
                                 QuotaModule::resetHints};
    QMenu *menu = m_controller->systemMenu().menu();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("button ") + c.button);
        useStyle(c.style);
        for (QuotaModule module : added)
            m_store->setModuleVisible(module, false);
        clickIcon(c.button);
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000));
        const QRect icon = item().buttonGeometry();
        ASSERT_GT(icon.top(), screen.center().y()) << "the tray is not at the bottom";
        const auto besideTheIcon = [&] {
            const QRect shown = onScreen(*menu);
            return shown.bottom() == icon.top() - 1 - PopoverGeometry::anchorGap && screen.contains(shown);
        };
        EXPECT_TRUE(QTest::qWaitFor(besideTheIcon, 2000)) << "opened at " << onScreen(*menu).y();
        const int opened = menu->height();
        for (QuotaModule module : added)
            m_store->setModuleVisible(module, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->height() > opened; }, 5000))
            << "the menu did not grow";
        EXPECT_TRUE(QTest::qWaitFor(besideTheIcon, 2000))
            << "grew from " << opened << " to " << menu->height() << " and stands at " << onScreen(*menu).y()
            << ", icon at " << icon.y();
        press("Escape");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 5000));
    }
    EXPECT_TRUE(noSurfaceVisible());
}

TEST_F(StatusItemOnADesktop, TheIconComesBackWhenTheTrayRestarts)
{
    session->stopTray();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !item().hasButton(); }, 10000))
        << "the button outlived its tray";
    session->startTray();
    ASSERT_TRUE(waitUntilDocked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnShare(grabIcon()) > 0.1; }, 5000));
    useStyle(QuotaPanelStyle::dashboard);
    clickIcon();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->isPopoverShown(); }, 5000));
    press("Escape");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_controller->isPopoverShown(); }, 5000));
    EXPECT_TRUE(noSurfaceVisible());
}

} // namespace
} // namespace pulsegrove::testing
