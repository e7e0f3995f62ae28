#include "FakeTrayHost.h"
#include "RecordingSystemLog.h"
#include "ViewRendering.h"
#include "statusitem/PopoverGeometry.h"
#include "statusitem/StatusItem.h"
#include "statusitem/StatusItemIconRenderer.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using testing::snapshot;

// The opaque extent of a drawing: how many columns and the highest alpha.
struct Coverage {
    int columns = 0;
    int maximumAlpha = 0;
};

Coverage coverage(const QImage &image)
{
    Coverage result;
    for (int x = 0; x < image.width(); ++x) {
        bool covered = false;
        for (int y = 0; y < image.height(); ++y) {
            const int alpha = qAlpha(image.pixel(x, y));
            result.maximumAlpha = std::max(result.maximumAlpha, alpha);
            covered = covered || alpha > 40;
        }
        result.columns += covered ? 1 : 0;
    }
    return result;
}

TEST(StatusItemIconRendererTests, DrawsEveryTitleIntoEverySizeKeepingTheDigits)
{
    const struct {
        const char *title;
        int size;
        const char *fitted;
    } cases[] = {
        {"58%", 64, "58%"},  {"58%", 32, "58%"},  {"58%", 22, "58"}, {"58%", 16, "58"}, {"100%", 48, "100%"},
        {"100%", 22, "100"}, {"100%", 16, "100"}, {"0%", 16, "0%"},  {"PG", 16, "PG"},  {"--", 24, "--"},
    };
    for (const auto &c : cases) {
        const QString title = QString::fromLatin1(c.title);
        EXPECT_EQ(StatusItemIconRenderer::fittedText(title, c.size), QString::fromLatin1(c.fitted))
            << c.title << " at " << c.size;
        const QImage image =
            snapshot(StatusItemIconRenderer::render(title, 1.0, c.size),
                     QStringLiteral("tray-%1-%2").arg(c.size).arg(QString::fromLatin1(c.fitted)));
        ASSERT_EQ(image.size(), QSize(c.size, c.size));
        const Coverage drawn = coverage(image);
        // Wide enough to read, and nothing cut at the edges.
        EXPECT_GE(drawn.columns, c.size / 3) << c.title << " at " << c.size;
        for (int y = 0; y < c.size; ++y)
            EXPECT_LT(qAlpha(image.pixel(0, y)) + qAlpha(image.pixel(c.size - 1, y)), 40) << c.title;
        EXPECT_EQ(drawn.maximumAlpha, 255);
    }
}

TEST(StatusItemIconRendererTests, TheAlphaDimsTheWholeDrawingAndBothToneShow)
{
    const QImage dimmed = StatusItemIconRenderer::render(QStringLiteral("40%"), 0.62, 32);
    EXPECT_NEAR(coverage(dimmed).maximumAlpha, qRound(0.62 * 255), 2);
    // Light glyphs with a dark outline: both read on any panel.
    const QImage full = StatusItemIconRenderer::render(QStringLiteral("40%"), 1.0, 32);
    int light = 0, dark = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QColor color = QColor::fromRgba(full.pixel(x, y));
            if (color.alpha() < 200)
                continue;
            light += color.lightness() > 220 ? 1 : 0;
            dark += color.lightness() < 60 ? 1 : 0;
        }
    EXPECT_GT(light, 30);
    EXPECT_GT(dark, 30);
}

TEST(PopoverGeometryTests, HeightLimitTargetSizeAndTolerances)
{
    const std::pair<std::optional<qreal>, qreal> limits[] = {{1000.0, 770.0}, {500.0, 480.0},
                                                             {700.0, 652.0},  {std::nullopt, 670.0},
                                                             {818.0, 770.0},  {100.0, 480.0}};
    for (const auto &[height, limit] : limits)
        EXPECT_EQ(PopoverGeometry::heightLimit(height), limit) << height.value_or(-1);
    EXPECT_FALSE(PopoverGeometry::needsRebuild(true, 771, 770));
    EXPECT_TRUE(PopoverGeometry::needsRebuild(true, 771.5, 770));
    EXPECT_TRUE(PopoverGeometry::needsRebuild(true, 768.5, 770));
    EXPECT_TRUE(PopoverGeometry::needsRebuild(false, 770, 770));
}

TEST(PopoverGeometryTests, FramesHangUnderTheAnchorOrAboveItAndStayOnScreen)
{
    const QRect screen(0, 0, 800, 600);
    const QSize popover(360, 500);
    const struct {
        const char *name;
        QRect anchor;
        QSize size;
        QRect expected;
    } cases[] = {
        {"top panel: centred 4 px under the icon", {400, 0, 24, 24}, popover, {232, 28, 360, 500}},
        {"bottom panel: above the icon", {400, 576, 24, 24}, popover, {232, 72, 360, 500}},
        {"icon at the right edge: pulled in", {780, 0, 20, 24}, popover, {440, 28, 360, 500}},
        {"icon at the left edge: pulled in", {0, 0, 20, 24}, popover, {0, 28, 360, 500}},
        {"pointer in the middle, no room either way: clamped", {400, 300, 1, 1}, popover, {220, 0, 360, 500}},
        {"larger than the screen: its top-left corner shows", {400, 0, 24, 24}, {900, 700}, {0, 0, 900, 700}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PopoverGeometry::frame(c.size, c.anchor, screen), c.expected) << c.name;
}

class StatusItemTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingSystemLog> m_log = std::make_shared<RecordingSystemLog>();
};

TEST_F(StatusItemTest, TheTrayIsAskedToRedrawOnlyWhenTheDrawnValuesChange)
{
    FakeTrayHost host;
    StatusItem item(&host, m_log);
    ASSERT_TRUE(item.hasButton());
    FakeTrayIcon *icon = host.lastIcon;
    ASSERT_TRUE(icon && icon->isVisible);
    const int iconsAtStart = icon->setIconCalls, tipsAtStart = icon->setToolTipCalls;
    item.setTitle(QStringLiteral("58%"));
    item.setTitle(QStringLiteral("58%"));
    item.setAlpha(1.0);
    item.setToolTip(QStringLiteral("Pulse Grove"));
    item.setToolTip(QStringLiteral("Pulse Grove"));
    EXPECT_EQ(icon->setIconCalls - iconsAtStart, 1);
    EXPECT_EQ(icon->setToolTipCalls - tipsAtStart, 1);
    item.setAlpha(0.62);
    item.setTitle(QStringLiteral("57%"));
    EXPECT_EQ(icon->setIconCalls - iconsAtStart, 3);
    EXPECT_EQ(icon->toolTip, QStringLiteral("Pulse Grove"));
}

TEST_F(StatusItemTest, AHostThatAppearsLateOrRestartsGetsAFreshIconWithTheKeptState)
{
    FakeTrayHost host(TrayHostKind::none);
    QMenu contextMenu;
    StatusItem item(&host, m_log);
    QSignalSpy buttonChanges(&item, &StatusItem::buttonChanged);
    item.setTitle(QStringLiteral("40%"));
    item.setToolTip(QStringLiteral("tip"));
    item.setContextMenu(&contextMenu);
    EXPECT_FALSE(item.hasButton());
    EXPECT_EQ(host.iconsCreated, 0);

    host.nextIconGeometry = QRect(10, 0, 24, 24);
    const TrayHostKind kinds[] = {TrayHostKind::xembed, TrayHostKind::none, TrayHostKind::statusNotifierItem};
    for (const TrayHostKind kind : kinds) {
        host.setKind(kind);
        EXPECT_EQ(item.hasButton(), kind != TrayHostKind::none);
    }
    EXPECT_EQ(buttonChanges.count(), 3);
    EXPECT_EQ(host.iconsCreated, 2);
    FakeTrayIcon *icon = host.lastIcon;
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->setIconCalls, 1);
    EXPECT_EQ(icon->toolTip, QStringLiteral("tip"));
    EXPECT_EQ(icon->contextMenu, &contextMenu);
    EXPECT_EQ(item.popupAnchor(), QRect(10, 0, 24, 24));
}

TEST_F(StatusItemTest, ADesktopWithoutTrayIsReportedOnceAndKeepsRunning)
{
    FakeTrayHost host(TrayHostKind::none);
    StatusItem item(&host, m_log);
    item.setNoTrayNoticeDelay(10);
    int calls = 0;
    item.setAction([&] { ++calls; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_log->entries.empty(); }, 5000));
    host.setKind(TrayHostKind::xembed);
    host.setKind(TrayHostKind::none);
    QTest::qWait(50);
    ASSERT_EQ(m_log->entries.size(), 1u);
    EXPECT_EQ(item.buttonGeometry(), QRect());
    // A click that does reach the item (from a preview) still acts.
    item.performClick();
    EXPECT_EQ(calls, 1);
}

// Both menus open beside the icon, where the popover opens, even when opening adds rows.
TEST_F(StatusItemTest, AClickOpensTheMenuWhenOneIsSetElseCallsTheAction)
{
    FakeTrayHost host;
    const QRect icon(100, 0, 24, 24);
    host.nextIconGeometry = icon;
    StatusItem item(&host, m_log);
    QMenu menu;
    menu.addAction(QStringLiteral("row"));
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] { menu.addAction(QStringLiteral("a longer row that widens the menu")); });
    int calls = 0;
    item.setAction([&] { ++calls; });
    item.setMenu(&menu);
    item.setContextMenu(&menu);
    EXPECT_EQ(host.lastIcon->contextMenu, nullptr) << "an XEmbed tray would open it over the icon";
    const auto opensBesideTheIcon = [&](void (FakeTrayIcon::*gesture)()) {
        (host.lastIcon->*gesture)();
        ASSERT_TRUE(menu.isVisible());
        EXPECT_EQ(menu.geometry(), PopoverGeometry::frameOnScreen(menu.size(), icon));
        EXPECT_GT(menu.geometry().top(), icon.bottom());
        menu.hide();
    };
    opensBesideTheIcon(&FakeTrayIcon::click);
    EXPECT_EQ(calls, 0);
    item.setMenu(nullptr);
    opensBesideTheIcon(&FakeTrayIcon::rightClick);
    EXPECT_EQ(calls, 0);
    host.lastIcon->click();
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace pulsegrove
