#include "ViewRendering.h"
#include "views/EnergyBar.h"
#include "views/EnergyBarModel.h"
#include "views/primitives/ViewColors.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using ViewColors::srgb;

TEST(EnergyBarModelTests, FillWidthIsClampedShareOfTheBarInFloatingPoint)
{
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(37, 200), 74.0);
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(33, 101), 33.33);
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(0, 200), 0.0);
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(100, 200), 200.0);
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(140, 200), 200.0);
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(-20, 200), 0.0);
    // A bar squeezed to nothing never gets a negative fill.
    EXPECT_DOUBLE_EQ(EnergyBarModel::fillWidth(50, -10), 0.0);
}

TEST(EnergyBarModelTests, SpokenValueIsTheUnclampedPercentage)
{
    EXPECT_EQ(EnergyBarModel::accessibilityLabel(), QStringLiteral("剩余额度"));
    EXPECT_EQ(EnergyBarModel::accessibilityValue(63), QStringLiteral("63%"));
    EXPECT_EQ(EnergyBarModel::accessibilityValue(140), QStringLiteral("140%"));
    EXPECT_EQ(EnergyBarModel::accessibilityValue(-20), QStringLiteral("-20%"));
    EXPECT_EQ(EnergyBarModel::accessibilityValue(9'000'000'000LL), QStringLiteral("9000000000%"));

    const EnergyBar bar(140, srgb(0.2, 0.78, 0.96), 9);
    EXPECT_EQ(bar.accessibleName(), QStringLiteral("剩余额度"));
    EXPECT_EQ(bar.accessibleDescription(), QStringLiteral("140%"));
}

TEST(EnergyBarModelTests, TrackTakesSixteenHundredthsOfTheTintsOwnOpacity)
{
    const QColor opaque = srgb(0.2, 0.78, 0.96);
    EXPECT_NEAR(EnergyBarModel::trackColor(opaque).alphaF(), 0.16, 1e-3);
    const QColor translucent = srgb(0.2, 0.78, 0.96, 0.5);
    const QColor track = EnergyBarModel::trackColor(translucent);
    EXPECT_NEAR(track.alphaF(), 0.08, 1e-3);
    EXPECT_EQ(track.rgb(), translucent.rgb());
}

TEST(EnergyBarTests, TakesTheOfferedWidthAndExactlyItsHeight)
{
    EnergyBar bar(50, srgb(1, 0, 0), 9);
    EXPECT_EQ(bar.sizeHint().height(), 9);
    EXPECT_EQ(bar.minimumSizeHint().width(), 0);
    EXPECT_EQ(bar.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(bar.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

// The fill covers the leading share of the track in the tint itself; the rest shows the faint
// track, and a translucent tint stays translucent in the fill.
TEST(EnergyBarTests, DrawsTheFillOverTheFaintTrack)
{
    const testing::IsolatedTheme theme;
    const QColor tint = srgb(1, 0, 0, 0.5);
    EnergyBar bar(37, tint, 9);
    bar.resize(200, 9);
    const QImage image = testing::renderTransparent(bar);
    testing::saveSnapshotIfRequested(image, QStringLiteral("energy-bar"));

    // The fill lies over the track: 0.5 + 0.08 × (1 − 0.5) = 0.54 of red.
    const QColor filled = srgb(1, 0, 0, 0.54);
    EXPECT_TRUE(testing::isNear(image.pixelColor(40, 4), filled, 3));
    EXPECT_TRUE(testing::isNear(image.pixelColor(70, 4), filled, 3));
    const QColor track = image.pixelColor(150, 4);
    EXPECT_NEAR(track.alpha(), qRound(255 * 0.08), 3);
    EXPECT_EQ(track.red(), 255);
    // Past 74 points the fill has ended.
    EXPECT_FALSE(testing::isNear(image.pixelColor(80, 4), filled, 3));
}

TEST(EnergyBarTests, EmptyAndOverfullBarsStayWithinTheTrack)
{
    const QColor tint = srgb(0, 0, 1);
    EnergyBar empty(-20, tint, 6);
    empty.resize(120, 6);
    EXPECT_EQ(testing::countPixelsNear(testing::renderTransparent(empty), tint, 3), 0);

    EnergyBar overfull(140, tint, 6);
    overfull.resize(120, 6);
    const QImage image = testing::renderTransparent(overfull);
    EXPECT_TRUE(testing::isNear(image.pixelColor(3, 3), tint, 3));
    EXPECT_TRUE(testing::isNear(image.pixelColor(116, 3), tint, 3));
}

} // namespace
} // namespace pulsegrove
