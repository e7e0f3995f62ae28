#include "CardRendering.h"
#include "QuotaPanelTestFixture.h"
#include "views/insights/ModelConsumptionReferenceCard.h"
#include "views/insights/QuotaResetHintsCard.h"
#include "views/panel/QuotaPanelFooter.h"
#include "views/panel/QuotaPanelHeader.h"
#include "views/panel/QuotaPanelView.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/ThemedButton.h"
#include "views/primitives/ViewColors.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

// The weaker of the left and top edges of the check box drawn on the menu entry `row` (in the
// menu's points): along the row's middle, then down a column just inside the box, the first pixels
// past the row's own background that differ from it are the box's outline. No box counts as 1:1.
double checkBoxOutlineContrast(const QImage &image, const QRect &row)
{
    const qreal ratio = image.devicePixelRatio();
    const QRect pixels(QRectF(QPointF(row.topLeft()) * ratio, QSizeF(row.size()) * ratio).toRect());
    const int outlineWidth = qRound(ratio) + 1;
    const QColor background = image.pixelColor(pixels.right() - qRound(4 * ratio), pixels.center().y());
    // The strongest of the outline's pixels from the first one that differs, after `start`.
    const auto edgeContrast = [&](QPoint start, QPoint step, int count, QPoint *edge) {
        QPoint at = start;
        int taken = 0;
        const auto advanceWhile = [&](bool differing) {
            for (; taken < count && (image.pixelColor(at) != background) == differing; ++taken)
                at += step;
        };
        advanceWhile(true); // the menu's frame or a hovered row's outline
        advanceWhile(false);
        if (edge)
            *edge = at;
        double strongest = 1;
        for (int i = 0; i < outlineWidth && taken < count; ++i, ++taken, at += step)
            strongest = std::max(strongest, ViewColors::contrastRatio(image.pixelColor(at), background));
        return strongest;
    };
    QPoint leftEdge;
    const double left =
        edgeContrast(QPoint(pixels.left(), pixels.center().y()), QPoint(1, 0), qRound(40 * ratio), &leftEdge);
    const double top = edgeContrast(QPoint(leftEdge.x() + qRound(4 * ratio), pixels.top()), QPoint(0, 1),
                                    pixels.height() / 2, nullptr);
    return std::min(left, top);
}

class QuotaPanelViewTests : public QuotaPanelTest {
protected:
    std::unique_ptr<QuotaPanelView> makePanel(QuotaStore &store, SystemMetricsStore &metrics,
                                              qreal maximum = 640)
    {
        return std::make_unique<QuotaPanelView>(store, metrics, maximum, QStringLiteral("panel-1"),
                                                [this](qreal height) { m_reports.push_back(height); });
    }
    std::vector<qreal> m_reports;
};

// On screen the panel is a surface of the quota store and, only while the system card shows, of
// the metrics store; hiding the card withdraws the metrics claim at once, and hiding or
// destroying the panel withdraws both.
TEST_F(QuotaPanelViewTests, RegistersItsSurfaceWithBothStoresWhileOnScreen)
{
    auto store = makeStore();
    auto metrics = metricsStore();
    const QSet<QString> panel{QStringLiteral("panel-1")};
    auto view = makePanel(*store, *metrics);
    EXPECT_TRUE(store->visibleSurfaces().isEmpty()) << "made is not shown";

    struct Step {
        const char *name;
        std::function<void()> action;
        QSet<QString> surfaces, consumers;
    };
    const Step steps[] = {
        {"shown", [&] { view->show(); }, panel, panel},
        {"system card hidden",
         [&] { store->setModuleVisible(QuotaModule::systemMetrics, false); },
         panel,
         {}},
        {"system card shown again", [&] { store->setModuleVisible(QuotaModule::systemMetrics, true); }, panel,
         panel},
        {"panel hidden", [&] { view->hide(); }, {}, {}},
        {"modules change while hidden",
         [&] {
             store->setModuleVisible(QuotaModule::systemMetrics, false);
             store->setModuleVisible(QuotaModule::systemMetrics, true);
         },
         {},
         {}},
        {"shown without the system card",
         [&] {
             store->setModuleVisible(QuotaModule::systemMetrics, false);
             view->show();
         },
         panel,
         {}},
        {"destroyed while on screen", [&] { view.reset(); }, {}, {}},
    };
    for (const Step &step : steps) {
        step.action();
        QCoreApplication::processEvents();
        EXPECT_EQ(store->visibleSurfaces(), step.surfaces) << step.name;
        EXPECT_EQ(metrics->visibleConsumers(), step.consumers) << step.name;
    }
}

// The panel measures itself after a change, reports its height once, and again only when the
// content changes its height; the scroll area gets the viewport height of the arithmetic.
TEST_F(QuotaPanelViewTests, ReportsItsPreferredHeightWhenItMoves)
{
    auto store = makeStore();
    auto metrics = metricsStore();
    auto view = makePanel(*store, *metrics, 520);
    EXPECT_EQ(view->preferredHeight(), std::nullopt);
    QCoreApplication::processEvents();
    ASSERT_EQ(m_reports.size(), 1u);
    const auto &measured = view->measuredSectionHeights();
    ASSERT_EQ(measured.size(), 3u);
    EXPECT_EQ(m_reports.back(), QuotaPanelSizing::preferredHeight(measured, 520));
    EXPECT_EQ(view->height(), static_cast<int>(m_reports.back()));

    view->measureNow();
    EXPECT_EQ(m_reports.size(), 1u) << "the same layout is not reported again";

    for (const QuotaModule module : QuotaModules::allCases)
        store->setModuleVisible(module, false);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->contentElements().front().kind, QuotaPanelElement::Kind::modulesHidden);
    ASSERT_EQ(m_reports.size(), 2u) << "the hidden-modules card is of another height";
    EXPECT_EQ(view->contentViewportHeight(), view->measuredSectionHeights().at(QuotaPanelSection::content));
}

// Live data that ages past the store's limit reads as cached at the panel's next minute tick,
// though no store signal announced it; the cards that did not change stay.
TEST_F(QuotaPanelViewTests, AgeingDataTurnsCachedAtTheNextMinute)
{
    auto store = liveStore(fullResponse());
    auto metrics = metricsStore();
    auto view = makePanel(*store, *metrics);
    EXPECT_EQ(view->header()->freshnessText(), QStringLiteral("实时"));
    QWidget *firstCard = view->contentView(0);
    m_now = m_now.addingSeconds(QuotaStore::staleAfterSeconds + 1);
    auto *timer = view->findChild<MinuteTimeline *>()->findChild<QTimer *>();
    timer->start(1);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return view->header()->freshnessText() == QStringLiteral("缓存"); }, 5000));
    timer->stop();
    EXPECT_EQ(view->contentView(0), firstCard);
    EXPECT_TRUE(view->contentElements().back().isStale) << "the status line speaks of cached data";
}

// A card rebuilt for a new snapshot keeps what the user opened; a card whose inputs did not
// change is the same widget; a theme change rebuilds everything and still keeps it.
TEST_F(QuotaPanelViewTests, RebuiltCardsKeepTheirViewState)
{
    auto store = liveStore(fullResponse());
    auto metrics = metricsStore();
    auto view = makePanel(*store, *metrics);
    auto *hints = view->findChild<QuotaResetHintsCard *>();
    auto *reference = view->findChild<ModelConsumptionReferenceCard *>();
    ASSERT_TRUE(hints && reference);
    hints->setShowNotices(true);
    reference->setExpanded(true);
    reference->setFastMode(true);

    m_now = m_now.addingSeconds(60);
    await(store->refresh(true));
    QCoreApplication::processEvents();
    auto *rebuiltHints = qobject_cast<QuotaResetHintsCard *>(view->contentView(4));
    ASSERT_NE(rebuiltHints, nullptr);
    EXPECT_NE(rebuiltHints, hints) << "a new snapshot builds a new hint";
    EXPECT_TRUE(rebuiltHints->showNotices());
    EXPECT_EQ(view->contentView(5), reference) << "the reference card has no inputs";

    store->setTheme(QuotaThemeID::violet);
    QCoreApplication::processEvents();
    auto *rethemed = qobject_cast<ModelConsumptionReferenceCard *>(view->contentView(5));
    ASSERT_NE(rethemed, nullptr);
    EXPECT_TRUE(rethemed->viewState().isExpanded);
    EXPECT_TRUE(rethemed->viewState().fastMode);
    EXPECT_TRUE(qobject_cast<QuotaResetHintsCard *>(view->contentView(4))->showNotices());
}

// The footer's buttons call the store's handlers only when set; the "更多" menu is rebuilt from
// the store as it opens, and each entry goes through the store.
TEST_F(QuotaPanelViewTests, FooterActionsGoThroughTheStore)
{
    m_loginItem->setStatus(LoginItemStatus::requiresApproval);
    auto store = makeStore();
    auto metrics = metricsStore();
    auto view = makePanel(*store, *metrics);
    QuotaPanelFooter &footer = *view->footer();
    ThemedButton *settingsButton = nullptr;
    for (ThemedButton *button : footer.findChildren<ThemedButton *>()) {
        if (button->text() == QuotaPanelFooterModel::settingsTitle())
            settingsButton = button;
    }
    ASSERT_NE(settingsButton, nullptr);
    settingsButton->click(); // no handler yet: nothing happens
    int settings = 0;
    store->moduleSettingsRequestHandler = [&] { ++settings; };
    settingsButton->click();
    EXPECT_EQ(settings, 1);

    store->refreshLaunchAtLoginState();
    footer.rebuildMoreMenu();
    const QList<QAction *> entries = footer.moreMenu()->actions();
    ASSERT_EQ(entries.size(), 5);
    EXPECT_TRUE(entries[1]->isChecked()) << "pending approval counts as on";
    entries[2]->trigger();
    EXPECT_EQ(m_loginItem->openSettingsCalls, 1);
    store->setPanelStyle(QuotaPanelStyle::dashboard, true);
    entries[0]->trigger();
    EXPECT_EQ(store->panelStyle(), QuotaPanelStyle::system);
    entries[1]->trigger(); // unchecks
    EXPECT_EQ(m_loginItem->unregisterCalls, 1);

    // Without system settings the login-items entry does nothing.
    auto restricted = makeStore(false);
    QuotaPanelFooter::perform(*restricted, QuotaPanelFooterModel::MenuAction::openLoginItemsSettings, false);
    EXPECT_EQ(m_loginItem->openSettingsCalls, 1);
}

// The "更多" menu reads the login item each time it opens: "打开自启动设置" is offered only while
// the item waits for the user's approval, not whenever it is on; a store that may not touch the
// desktop's settings disables the toggle and never offers the entry.
TEST_F(QuotaPanelViewTests, TheMoreMenuOffersTheAutostartSettingsOnlyWhileApprovalIsPending)
{
    auto store = makeStore();
    auto restricted = makeStore(false);
    QuotaPanelFooter footer(*store), restrictedFooter(*restricted);
    const QString settingsEntry = QString::fromUtf8("打开自启动设置");
    const struct {
        const char *name;
        QuotaStore &store;
        QuotaPanelFooter &footer;
        LoginItemStatus status;
        bool offersSettings, toggleOn, toggleEnabled;
    } cases[] = {
        {"off", *store, footer, LoginItemStatus::notRegistered, false, false, true},
        {"on", *store, footer, LoginItemStatus::enabled, false, true, true},
        {"waiting for approval", *store, footer, LoginItemStatus::requiresApproval, true, true, true},
        {"on again", *store, footer, LoginItemStatus::enabled, false, true, true},
        {"nothing installed", *store, footer, LoginItemStatus::notFound, false, false, true},
        {"no system settings", *restricted, restrictedFooter, LoginItemStatus::requiresApproval, false, false,
         false},
    };
    for (const auto &c : cases) {
        m_loginItem->setStatus(c.status);
        c.store.refreshLaunchAtLoginState();
        Q_EMIT c.footer.moreMenu()->aboutToShow();
        QStringList titles;
        QAction *toggle = nullptr;
        for (QAction *entry : c.footer.moreMenu()->actions()) {
            titles.append(entry->text());
            if (entry->isCheckable())
                toggle = entry;
        }
        EXPECT_EQ(titles.count(settingsEntry), c.offersSettings ? 1 : 0) << c.name;
        ASSERT_NE(toggle, nullptr) << c.name;
        EXPECT_EQ(toggle->isChecked(), c.toggleOn) << c.name;
        EXPECT_EQ(toggle->isEnabled(), c.toggleEnabled) << c.name;
    }
}

// The "开机自动启动" box shows in every theme whether it is ticked or not, at rest and under the
// pointer: its outline stands at least 3:1 against the entry's background in the rendered menu.
TEST_F(QuotaPanelViewTests, TheAutostartBoxStandsOutFromTheMenuInEveryTheme)
{
    auto store = makeStore();
    QuotaPanelFooter footer(*store);
    QMenu &menu = *footer.moreMenu();
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        selectTheme(theme);
        for (const bool ticked : {false, true}) {
            m_loginItem->setStatus(ticked ? LoginItemStatus::enabled : LoginItemStatus::notRegistered);
            store->refreshLaunchAtLoginState();
            Q_EMIT menu.aboutToShow();
            QAction *toggle = menu.actions().at(1);
            ASSERT_TRUE(toggle->isCheckable());
            ASSERT_EQ(toggle->isChecked(), ticked);
            for (const bool hovered : {false, true}) {
                menu.setActiveAction(hovered ? toggle : nullptr);
                const QString name =
                    QStringLiteral("more-menu-%1-%2%3")
                        .arg(QString::fromStdString(std::string(QuotaThemeIDs::rawValue(theme))),
                             QLatin1String(ticked ? "ticked" : "unticked"),
                             QLatin1String(hovered ? "-hovered" : ""));
                menu.adjustSize();
                const QImage image =
                    snapshot(menu.grab().toImage().convertToFormat(QImage::Format_ARGB32), name);
                EXPECT_GE(checkBoxOutlineContrast(image, menu.actionGeometry(toggle)), 3.0)
                    << name.toStdString();
            }
        }
    }
}

// A disabled entry (the autostart toggle where the login item cannot be managed) is drawn once,
// dimmed: no etched copy offset under its text, which on the dark menu reads as a smear. With the
// dimmed text made invisible, nothing of the entry's text may remain.
TEST_F(QuotaPanelViewTests, ADisabledMenuEntryHasNoEtchedCopy)
{
    auto restricted = makeStore(false);
    QuotaPanelFooter footer(*restricted);
    QMenu &menu = *footer.moreMenu();
    Q_EMIT menu.aboutToShow();
    QAction *toggle = menu.actions().at(1);
    ASSERT_FALSE(toggle->isEnabled());
    QPalette palette = menu.palette();
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, Qt::transparent);
    menu.setPalette(palette);
    menu.adjustSize();
    const QImage image = menu.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const qreal ratio = image.devicePixelRatio();
    const QRect row = menu.actionGeometry(toggle);
    // The text's part of the row: past the check box, short of the menu's frame.
    const QRect text(QRectF(QPointF(row.left() + row.width() / 4, row.top()) * ratio,
                            QPointF(row.right() - 2, row.bottom()) * ratio)
                         .toRect());
    const QColor background = image.pixelColor(text.right(), text.center().y());
    int drawn = 0;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            drawn += image.pixelColor(x, y) != background ? 1 : 0;
    EXPECT_EQ(drawn, 0);
}

} // namespace
} // namespace pulsegrove::testing
