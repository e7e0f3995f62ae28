#include "QuotaPanelTestFixture.h"
#include "theme/QuotaTheme.h"
#include "views/cards/CompactQuotaMeter.h"
#include "views/cards/QuotaCard.h"
#include "views/cards/ResetCreditsMenuCard.h"
#include "views/cards/SparkQuotaCard.h"
#include "views/panel/QuotaPanelView.h"
#include "views/primitives/DarkPalette.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

// The panel's content column: 360 wide less 16 on each side.
constexpr int contentWidth = 328;

int textPixels(const QImage &image)
{
    return countPixelsNear(image, DarkPalette::palette().color(QPalette::WindowText), 40);
}

// A render of sensible height that draws primary text, the accent and secondary text.
void expectSensible(const QImage &image, int minimumHeight, int maximumHeight, const char *name)
{
    EXPECT_GE(image.height(), minimumHeight) << name;
    EXPECT_LE(image.height(), maximumHeight) << name;
    EXPECT_GT(textPixels(image), 20) << name;
    EXPECT_GT(countPixelsNear(image, QuotaTheme::secondaryText(), 40), 10) << name;
}

QImage renderCard(QWidget &card, const QString &name)
{
    DarkPalette::apply(&card);
    return renderAtWidth(card, contentWidth, name);
}

class QuotaPanelRenderTests : public QuotaPanelTest {
protected:
    QImage renderPanel(QuotaStore &store, const QString &name)
    {
        auto metrics = metricsStore();
        QuotaPanelView panel(store, *metrics, 640, QStringLiteral("render"), [](qreal) {});
        panel.show();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QImage image = snapshot(panel.grab().toImage().convertToFormat(QImage::Format_ARGB32), name);
        EXPECT_EQ(image.width(), QuotaPanelView::panelWidth * qRound(panel.devicePixelRatioF()))
            << name.toStdString();
        EXPECT_EQ(panel.height(), static_cast<int>(*panel.preferredHeight())) << name.toStdString();
        return image;
    }
};

TEST_F(QuotaPanelRenderTests, EachCardDrawsAtTheColumnWidth)
{
    const auto response = fullResponse();
    QuotaCard fiveHour(QStringLiteral("5 小时额度"), QStringLiteral("5H"), response.rateLimits.primary);
    expectSensible(renderCard(fiveHour, QStringLiteral("quota-card")), 90, 160, "quota card");
    QuotaCard missing(QStringLiteral("每周额度"), QStringLiteral("7D"), std::nullopt);
    expectSensible(renderCard(missing, QStringLiteral("quota-card-missing")), 60, 130, "missing window");
    SparkQuotaCard spark(*response.sparkRateLimits());
    expectSensible(renderCard(spark, QStringLiteral("spark-card")), 100, 200, "spark card");
    ResetCreditsMenuCard credits(response.rateLimitResetCredits);
    expectSensible(renderCard(credits, QStringLiteral("reset-credits-card")), 50, 90, "credits card");
    CompactQuotaMeter meter(QStringLiteral("7D"), std::nullopt);
    DarkPalette::apply(&meter);
    EXPECT_GT(countPixelsNear(renderAtWidth(meter, 150, QStringLiteral("compact-meter-missing")),
                              QuotaTheme::secondaryText(), 40),
              10);
}

TEST_F(QuotaPanelRenderTests, ThePanelDrawsEachMainState)
{
    {
        auto store = liveStore(fullResponse());
        const QImage full = renderPanel(*store, QStringLiteral("panel-full"));
        expectSensible(full, 500, 2000, "full");
    }
    {
        auto store = cachedStore(fullResponse());
        expectSensible(renderPanel(*store, QStringLiteral("panel-stale")), 400, 2000, "stale");
    }
    {
        auto store = makeStore();
        for (const QuotaModule module : QuotaModules::allCases)
            store->setModuleVisible(module, false);
        expectSensible(renderPanel(*store, QStringLiteral("panel-modules-hidden")), 250, 500, "hidden");
    }
}

} // namespace
} // namespace pulsegrove::testing
