#include "CardRendering.h"
#include "QuotaPanelTestFixture.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "theme/QuotaTheme.h"
#include "views/cards/CompactQuotaMeter.h"
#include "views/cards/QuotaCard.h"
#include "views/panel/QuotaPanelView.h"
#include "views/primitives/DarkPalette.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

int textPixels(const QImage &image)
{
    return countPixelsNear(image, DarkPalette::palette().color(QPalette::WindowText), 40);
}

// A render of sensible height that draws primary text, the accent and secondary text.
void expectSensible(const QImage &image, int minimumHeight, int maximumHeight, const char *name)
{
    const qreal height = image.height() / image.devicePixelRatio(); // in points, at any pixel ratio
    EXPECT_GE(height, minimumHeight) << name;
    EXPECT_LE(height, maximumHeight) << name;
    EXPECT_GT(textPixels(image), 20) << name;
    EXPECT_GT(countPixelsNear(image, QuotaTheme::secondaryText(), 40), 10) << name;
}

QImage renderCard(QWidget &card, const QString &name)
{
    DarkPalette::apply(&card);
    return renderAtWidth(card, panelContentWidth, name);
}

class QuotaPanelRenderTests : public QuotaPanelTest {
protected:
    // The panel once its first metrics sample has arrived.
    QImage renderPanel(QuotaStore &store, const QString &name, QuotaPanelElement::Kind firstElement)
    {
        auto metrics = metricsStore();
        QuotaPanelView panel(store, *metrics, 640, QStringLiteral("render"), [](qreal) {});
        panel.show();
        if (store.visibleModules().contains(QuotaModule::systemMetrics)) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return metrics->snapshot().has_value(); }, 5000));
        }
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QImage image = snapshot(panel.grab().toImage().convertToFormat(QImage::Format_ARGB32), name);
        EXPECT_EQ(image.width(), QuotaPanelView::panelWidth * qRound(panel.devicePixelRatioF()))
            << name.toStdString();
        EXPECT_EQ(panel.height(), static_cast<int>(*panel.preferredHeight())) << name.toStdString();
        EXPECT_EQ(panel.contentElements().front().kind, firstElement) << name.toStdString();
        return image;
    }
};

// The full panel draws every card with data; these are the placeholders it does not show.
TEST_F(QuotaPanelRenderTests, MissingWindowsDrawTheirPlaceholders)
{
    QuotaCard missing(QStringLiteral("每周额度"), QStringLiteral("7D"), std::nullopt);
    expectSensible(renderCard(missing, QStringLiteral("quota-card-missing")), 60, 130, "missing window");
    CompactQuotaMeter meter(QStringLiteral("7D"), std::nullopt);
    DarkPalette::apply(&meter);
    EXPECT_GT(countPixelsNear(renderAtWidth(meter, 150, QStringLiteral("compact-meter-missing")),
                              QuotaTheme::secondaryText(), 40),
              10);
}

TEST_F(QuotaPanelRenderTests, ThePanelDrawsEachMainState)
{
    using Kind = QuotaPanelElement::Kind;
    // Without a cached quota the failure fills the panel; the other states' own views render apart.
    {
        FakeCodex failing({"exit 1"});
        auto store = makeStore(clientFor(failing));
        await(store->refresh(true));
        ASSERT_TRUE(store->errorMessage());
        expectSensible(renderPanel(*store, QStringLiteral("panel-empty-error"), Kind::empty), 250, 700,
                       "empty");
    }
    {
        auto store = liveStore(fullResponse());
        expectSensible(renderPanel(*store, QStringLiteral("panel-full"), Kind::quotaCard), 500, 2000, "full");
    }
    {
        auto store = cachedStore(fullResponse());
        expectSensible(renderPanel(*store, QStringLiteral("panel-stale"), Kind::quotaCard), 400, 2000,
                       "stale");
    }
}

// A new theme shows at once: the gradient, the cards and the accent of every element take the
// palette of the theme now selected.
TEST_F(QuotaPanelRenderTests, ANewThemeRepaintsThePanelAtOnce)
{
    auto store = liveStore(fullResponse());
    auto metrics = metricsStore();
    QuotaPanelView panel(*store, *metrics, 900, QStringLiteral("themes"), [](qreal) {});
    panel.show();
    const std::shared_ptr<UserDefaults> standard = UserDefaults::standard();
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        ASSERT_TRUE(standard->setString(PulsegrovePreferenceKeys::theme,
                                        std::string(QuotaThemeIDs::rawValue(theme))));
        store->setTheme(theme);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QString name = QStringLiteral("panel-theme-") +
                             QString::fromStdString(std::string(QuotaThemeIDs::rawValue(theme)));
        const QImage image = snapshot(panel.grab().toImage().convertToFormat(QImage::Format_ARGB32), name);
        // Rebuilt in a panel shorter than its content, the column scrolls; its cards are not squeezed.
        const QWidget *content = panel.findChild<QScrollArea *>()->widget();
        EXPECT_GE(content->height(), content->heightForWidth(content->width())) << name.toStdString();
        const QuotaThemePalette &palette = QuotaThemeIDs::palette(theme);
        EXPECT_GT(countPixelsNear(image, palette.accent, 16), 400) << name.toStdString();
        EXPECT_TRUE(isNear(image.pixelColor(image.width() / 2, 2), palette.panelTop, 40))
            << name.toStdString();
    }
}

} // namespace
} // namespace pulsegrove::testing
