#include "QuotaPanelTestFixture.h"
#include "views/cards/CompactQuotaMeter.h"
#include "views/cards/QuotaCard.h"
#include "views/cards/ResetCreditsMenuCard.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/WrappingText.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

// The timeline starts with the build time and ticks every minute with the clock's date.
TEST(MinuteTimelineTests, TicksEveryMinuteWithTheClocksDate)
{
    Date now = Date::fromUnixSeconds(1'772'000'000);
    MinuteTimeline timeline(nullptr, [&] { return now; });
    EXPECT_EQ(timeline.now(), now);
    EXPECT_TRUE(timeline.isRunning());
    auto *timer = timeline.findChild<QTimer *>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 60 * 1000);
    QSignalSpy ticks(&timeline, &MinuteTimeline::tick);
    now = now.addingSeconds(60);
    timer->start(1); // the next minute, sooner
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ticks.isEmpty(); }, 5000));
    timer->stop();
    EXPECT_EQ(ticks.front().front().value<Date>(), now);
    EXPECT_EQ(timeline.now(), now);
}

class CardTimelineTests : public QuotaPanelTest {};

// Each tick recomputes the clock-dependent texts from the tick's date, and only those.
TEST_F(CardTimelineTests, CardsRewordTheirTimesAtEachTick)
{
    const Date start = Date::fromUnixSeconds(double(nowUnix));
    const RateLimitWindow window{37, 300, nowUnix + 90 * 60};
    QuotaCard card(QStringLiteral("5 小时额度"), QStringLiteral("5H"), window);
    ASSERT_NE(card.timeline(), nullptr);
    card.showTime(start);
    const QString before = card.resetLabel()->text();
    EXPECT_TRUE(before.startsWith(QStringLiteral("1小时 30分后重置 · "))) << before.toStdString();
    card.showTime(start.addingSeconds(45 * 60));
    EXPECT_TRUE(card.resetLabel()->text().startsWith(QStringLiteral("45分钟后重置 · ")));
    card.showTime(start.addingSeconds(2 * 3600));
    EXPECT_EQ(card.resetLabel()->text(), QStringLiteral("重置时间已到，等待额度状态更新"));

    CompactQuotaMeter meter(QStringLiteral("7D"), window);
    meter.showTime(start.addingSeconds(60 * 60));
    EXPECT_TRUE(meter.resetText()->text().startsWith(QStringLiteral("30分钟后重置")));
    QuotaCard missing(QStringLiteral("每周额度"), QStringLiteral("7D"), std::nullopt);
    EXPECT_EQ(missing.timeline(), nullptr) << "no window, no clock-dependent text";
    EXPECT_EQ(missing.resetLabel(), nullptr);

    // The credit list is reordered against the new minute: the credit expiring within it moves
    // behind the still valid one.
    const RateLimitResetCreditsSummary summary{
        2, std::vector<RateLimitResetCredit>{{"available", nowUnix + 30}, {"available", nowUnix + 86400}}};
    ResetCreditsMenuCard credits(summary);
    credits.rebuildMenu(start);
    EXPECT_TRUE(
        credits.menu()->actions()[0]->text().startsWith(QStringLiteral("第 1 次 · 不到 1 分钟后到期")));
    credits.rebuildMenu(start.addingSeconds(60));
    EXPECT_TRUE(
        credits.menu()->actions()[0]->text().startsWith(QStringLiteral("第 1 次 · 23小时 59分后到期")));
    EXPECT_TRUE(credits.menu()->actions()[1]->text().startsWith(QStringLiteral("第 2 次 · 已到期")));
}

} // namespace
} // namespace pulsegrove::testing
