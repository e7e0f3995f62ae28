#include "ViewRendering.h"
#include "views/primitives/CardFrame.h"
#include "views/primitives/RoundedShadowEffect.h"

#include <QPixmapCache>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// The shadow is the card's rounded shape in the shadow colour, blurred beyond the shape by the
// shadow's radius: full strength inside, fading across the edge, nothing at the far corners.
TEST(RoundedShadowEffectTests, BlursTheRoundedShapeOncePerSizeAtEachPixelRatio)
{
    const ViewShadow shadow{QColor::fromRgbF(0, 0, 0, 0.16f), 14, QPointF(0, 8)};
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage image = RoundedShadowEffect::shadowImage(QSizeF(100, 50), 18, shadow, ratio);
        EXPECT_EQ(image.size(), QSize(128, 78) * ratio);
        EXPECT_EQ(image.devicePixelRatio(), ratio);
        const auto alphaAt = [&](qreal x, qreal y) {
            return image.pixelColor(int(x * ratio), int(y * ratio)).alpha();
        };
        EXPECT_NEAR(alphaAt(64, 39), 41, 3) << "the colour's own 0.16 in the middle";
        EXPECT_EQ(alphaAt(0, 0), 0);
        const int edge = alphaAt(14, 39);
        EXPECT_GT(edge, 5) << "the blur reaches across the edge";
        EXPECT_LT(edge, 36);
        EXPECT_GT(alphaAt(7, 39), 0);
        EXPECT_LT(alphaAt(7, 39), edge);
    }
    // Kept: the second call for the same look finds the first image.
    const QImage first = RoundedShadowEffect::shadowImage(QSizeF(90, 40), 18, shadow, 1);
    EXPECT_EQ(RoundedShadowEffect::shadowImage(QSizeF(90, 40), 18, shadow, 1), first);
}

// A card with a shadow carries the shape's shadow effect; without one it carries no effect.
TEST(RoundedShadowEffectTests, CardsWearTheShapeShadow)
{
    const testing::IsolatedTheme theme;
    CardFrameStyle style = CardFrameStyle::withShadow({QColor::fromRgbF(0, 0, 0, 0.12f), 10, QPointF(0, 6)});
    CardFrame card(13, style);
    auto *effect = qobject_cast<RoundedShadowEffect *>(card.graphicsEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->shadow().radius, 10);
    EXPECT_EQ(effect->boundingRectFor(QRectF(0, 0, 100, 50)), QRectF(-10, -4, 120, 70));
    style.shadow.reset();
    card.setStyle(style);
    EXPECT_EQ(card.graphicsEffect(), nullptr);
}

} // namespace
} // namespace pulsegrove
