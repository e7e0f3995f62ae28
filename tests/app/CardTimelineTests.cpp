#include "QuotaPanelTestFixture.h"
#include "views/cards/CompactQuotaMeter.h"
#include "views/cards/QuotaCard.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/WrappingText.h"

#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

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
    card.showTime(start.addingSeconds(2 * 3600));
    EXPECT_EQ(card.resetLabel()->text(), QStringLiteral("重置时间已到，等待额度状态更新"));

    CompactQuotaMeter meter(QStringLiteral("7D"), window);
    meter.showTime(start.addingSeconds(60 * 60));
    EXPECT_TRUE(meter.resetText()->text().startsWith(QStringLiteral("30分钟后重置")));
    QuotaCard missing(QStringLiteral("每周额度"), QStringLiteral("7D"), std::nullopt);
    EXPECT_EQ(missing.timeline(), nullptr) << "no window, no clock-dependent text";
    EXPECT_EQ(missing.resetLabel(), nullptr);
}

} // namespace
} // namespace pulsegrove::testing
