#include "ViewRendering.h"
#include "views/EnergyBar.h"
#include "views/EnergyBarModel.h"
#include "views/primitives/ViewColors.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using ViewColors::srgb;

// The fill is the clamped share of the bar in floating point; the spoken value is unclamped.
TEST(EnergyBarModelTests, FillIsClampedButTheSpokenValueIsNot)
{
    struct Case {
        qint64 percent;
        qreal barWidth, fill;
        const char *spoken;
    };
    for (const Case &c : {Case{37, 200, 74, "37%"}, Case{33, 101, 33.33, "33%"}, Case{0, 200, 0, "0%"},
                          Case{100, 200, 200, "100%"}, Case{140, 200, 200, "140%"}, Case{-20, 200, 0, "-20%"},
                          Case{50, -10, 0, "50%"}, Case{9'000'000'000LL, 10, 10, "9000000000%"}}) {
        EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(c.percent, c.barWidth), c.fill) << c.percent;
        EXPECT_EQ(EnergyBarModel::accessibilityValue(c.percent), QLatin1String(c.spoken));
    }
}

// It speaks the unclamped value; the fill covers the leading 74 points in the tint itself (keeping a
// translucent tint's opacity, over the track), the rest shows the track at 0.16 of the tint.
TEST(EnergyBarTests, SpeaksTheValueAndDrawsTheFillOverTheFaintTrack)
{
    EXPECT_EQ(EnergyBar(140, srgb(0.2, 0.78, 0.96), 9).accessibleDescription(), QStringLiteral("140%"));
    EnergyBar bar(37, srgb(1, 0, 0, 0.5), 9);
    bar.resize(200, 9);
    const QImage image = testing::renderTransparent(bar, QStringLiteral("energy-bar"));
    const QColor filled = srgb(1, 0, 0, 0.5 + 0.08 * (1 - 0.5));
    EXPECT_TRUE(testing::isNear(image.pixelColor(70, 4), filled, 3));
    EXPECT_FALSE(testing::isNear(image.pixelColor(80, 4), filled, 3)) << "past 74 points the fill has ended";
    EXPECT_TRUE(testing::isNear(image.pixelColor(150, 4), srgb(1, 0, 0, 0.08), 3));
}

} // namespace
} // namespace pulsegrove
