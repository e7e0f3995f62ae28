#include "CardRendering.h"
#include "QuotaPanelTestFixture.h"
#include "views/cards/ResetCreditsMenuCard.h"
#include "views/cards/SparkQuotaCard.h"
#include "views/panel/QuotaPanelView.h"
#include "views/primitives/SymbolLabel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <gtest/gtest.h>
#include <limits>

namespace pulsegrove::testing {
namespace {

// A quota answer at the edges of what decodes: shares beyond both ends, resets long past and
// absurdly far ahead, a long limit name full of markup, and fifty reset credits.
GetAccountRateLimitsResponse hostileResponse(std::int64_t now)
{
    GetAccountRateLimitsResponse response;
    response.rateLimits.planType = std::string(200, 'P') + "<i>plan</i>";
    response.rateLimits.primary = RateLimitWindow{130, 300, now - 10LL * 365 * 86400};
    response.rateLimits.secondary = RateLimitWindow{-5, 10080, std::numeric_limits<std::int64_t>::max()};
    RateLimitSnapshot spark;
    std::string name = "<b>Codex-Spark</b> &amp; <a href='x'>link</a>\n";
    while (name.size() < 300)
        name += "很长的名字";
    spark.limitName = name;
    spark.primary = RateLimitWindow{std::numeric_limits<std::int64_t>::max(), 300, now + 20LL * 365 * 86400};
    spark.secondary = RateLimitWindow{std::numeric_limits<std::int64_t>::min(), 10080, 0};
    response.rateLimitsByLimitId =
        std::map<std::string, RateLimitSnapshot>{{GetAccountRateLimitsResponse::sparkLimitId, spark}};
    std::vector<RateLimitResetCredit> credits;
    for (int index = 0; index < 50; ++index)
        credits.push_back({"available", now + (index - 10) * 86400LL});
    response.rateLimitResetCredits = RateLimitResetCreditsSummary{60, credits};
    return response;
}

class QuotaPanelBadInputTests : public QuotaPanelTest {};

// Nothing widens the 360-point panel or its 328-point column, no text is read as markup, and the
// fifty credits become fifty disabled rows and the explanation.
TEST_F(QuotaPanelBadInputTests, HostileQuotaStaysInsideThePanelAsPlainText)
{
    const auto response = hostileResponse(nowUnix);
    auto store = liveStore(response);
    ASSERT_TRUE(store->snapshot());
    auto metrics = metricsStore(SystemMetricsSnapshot{});
    QuotaPanelView panel(*store, *metrics, 700, QStringLiteral("hostile"), [](qreal) {});
    panel.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    snapshot(panel.grab().toImage(), QStringLiteral("panel-hostile"));
    EXPECT_EQ(panel.width(), QuotaPanelView::panelWidth);
    ASSERT_GE(panel.contentElements().size(), 4u);
    for (std::size_t index = 0; index < panel.contentElements().size(); ++index) {
        const QWidget *view = panel.contentView(index);
        if (!view)
            continue;
        EXPECT_LE(view->minimumSizeHint().width(), panelContentWidth) << index;
        EXPECT_LE(view->width(), panelContentWidth) << index;
    }
    for (const QLabel *label : panel.findChildren<QLabel *>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();

    const auto *spark = panel.findChild<SparkQuotaCard *>();
    ASSERT_NE(spark, nullptr);
    QStringList names;
    for (const SymbolLabel *label : spark->findChildren<SymbolLabel *>())
        names.append(label->text());
    EXPECT_TRUE(names.contains(QString::fromStdString(*response.sparkRateLimits()->limitName)));

    auto *credits = panel.findChild<ResetCreditsMenuCard *>();
    ASSERT_NE(credits, nullptr);
    credits->rebuildMenu(Date::fromUnixSeconds(double(nowUnix)));
    snapshot(credits->menu()->grab().toImage(), QStringLiteral("reset-credits-menu"));
    EXPECT_EQ(credits->menu()->style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, credits->menu()), 1)
        << "a list taller than the screen scrolls";
    const QList<QAction *> rows = credits->menu()->actions();
    ASSERT_EQ(rows.size(), 52);
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(),
                             [](const QAction *row) { return !row->isSeparator() && row->isEnabled(); }));
    EXPECT_EQ(rows.last()->text(), QStringLiteral("接口返回 50 条明细，另有 10 次暂无到期记录"));
}

} // namespace
} // namespace pulsegrove::testing
