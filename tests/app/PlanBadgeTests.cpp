#include "ViewRendering.h"
#include "theme/QuotaTheme.h"
#include "views/PlanBadge.h"
#include "views/PlanBadgeModel.h"
#include "views/PlanBadgeStyle.h"
#include "views/primitives/ViewColors.h"

#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using ViewColors::srgb;

TEST(PlanBadgeStyleTests, PaidTiersHaveTheirOwnGradientsSymbolAndGlow)
{
    EXPECT_EQ(PlanBadgeStyle::forTier(CodexPlanTier::plus()),
              (PlanBadgeStyle{srgb(0.24, 0.82, 0.98), srgb(0.20, 0.64, 0.98), std::nullopt, 0}));
    EXPECT_EQ(PlanBadgeStyle::forTier(CodexPlanTier::proFiveX()),
              (PlanBadgeStyle{srgb(0.72, 0.59, 1.0), srgb(0.55, 0.38, 0.94), std::nullopt, 0.1}));
    EXPECT_EQ(
        PlanBadgeStyle::forTier(CodexPlanTier::proTwentyX()),
        (PlanBadgeStyle{srgb(1.0, 0.82, 0.39), srgb(0.93, 0.61, 0.18), QStringLiteral("sparkles"), 0.3}));
}

TEST(PlanBadgeStyleTests, OtherPlansFadeTheSharedSecondaryColour)
{
    const PlanBadgeStyle style = PlanBadgeStyle::forTier(CodexPlanTier(std::string_view("enterprise")));
    EXPECT_EQ(style.startColor, QuotaTheme::secondaryText());
    EXPECT_EQ(style.endColor.rgb(), QuotaTheme::secondaryText().rgb());
    EXPECT_NEAR(style.endColor.alphaF(), 0.72, 1e-3);
    EXPECT_FALSE(style.symbolName.has_value());
    EXPECT_EQ(style.glowOpacity, 0);
}

TEST(PlanBadgeModelTests, TextsOutlineAndGlowFollowTheTier)
{
    EXPECT_EQ(PlanBadgeModel::displayText(CodexPlanTier::proTwentyX()), QStringLiteral("PRO 20×"));
    EXPECT_EQ(PlanBadgeModel::accessibilityLabel(CodexPlanTier::proTwentyX()),
              QStringLiteral("套餐 PRO 20×"));
    EXPECT_EQ(PlanBadgeModel::accessibilityLabel(CodexPlanTier::other("EDU")), QStringLiteral("套餐 EDU"));
    EXPECT_EQ(PlanBadgeModel::displayText(CodexPlanTier::other("EDU")), QStringLiteral("EDU"));

    EXPECT_DOUBLE_EQ(PlanBadgeModel::outlineWidth(CodexPlanTier::proTwentyX()), 0.8);
    EXPECT_DOUBLE_EQ(PlanBadgeModel::outlineWidth(CodexPlanTier::proFiveX()), 0.55);
    EXPECT_DOUBLE_EQ(PlanBadgeModel::outlineWidth(CodexPlanTier::plus()), 0.55);
    EXPECT_DOUBLE_EQ(PlanBadgeModel::outlineWidth(CodexPlanTier::other("GO")), 0.55);

    EXPECT_FALSE(PlanBadgeModel::glow(CodexPlanTier::plus()).has_value());
    EXPECT_FALSE(PlanBadgeModel::glow(CodexPlanTier::other("FREE")).has_value());
    const std::optional<ViewShadow> glow = PlanBadgeModel::glow(CodexPlanTier::proTwentyX());
    ASSERT_TRUE(glow.has_value());
    EXPECT_EQ(glow->color.rgb(), srgb(1.0, 0.82, 0.39).rgb());
    EXPECT_NEAR(glow->color.alphaF(), 0.3, 1e-3);
    EXPECT_EQ(glow->radius, 7);
    EXPECT_EQ(glow->offset, QPointF(0, 2));
}

TEST(PlanBadgeTests, SpeaksThePlanAndGlowsOnlyWhenItsStyleSays)
{
    const PlanBadge pro(CodexPlanTier::proTwentyX());
    EXPECT_EQ(pro.accessibleName(), QStringLiteral("套餐 PRO 20×"));
    auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(pro.graphicsEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->blurRadius(), 7);

    const PlanBadge plus(CodexPlanTier::plus());
    EXPECT_EQ(plus.graphicsEffect(), nullptr);
}

// The ideal width holds the tracked text, the symbol and the padding; the symbol adds exactly
// its width and the spacing.
TEST(PlanBadgeTests, IdealSizeFitsTheTextWithoutTruncating)
{
    const QFontMetricsF metrics(PlanBadgeModel::textFont());
    const QSizeF pro = PlanBadgeModel::idealSize(CodexPlanTier::proTwentyX());
    EXPECT_NEAR(pro.width(), metrics.horizontalAdvance(QStringLiteral("PRO 20×")) + 16 + 8 + 4, 1e-6);
    EXPECT_NEAR(pro.height(), metrics.height() + 8, 1e-6);
    const QSizeF plus = PlanBadgeModel::idealSize(CodexPlanTier::plus());
    EXPECT_NEAR(plus.width(), metrics.horizontalAdvance(QStringLiteral("PLUS")) + 16, 1e-6);

    // Squeezed by a greedy sibling, the badge still gets its whole ideal width.
    QWidget row;
    auto *layout = new QHBoxLayout(&row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *title = new QLabel(QStringLiteral("Pulse Grove with a very long title that wants all the room"));
    title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    title->setMinimumWidth(0);
    layout->addWidget(title);
    auto *badge = new PlanBadge(CodexPlanTier::other("ENTERPRISE"));
    layout->addWidget(badge);
    row.resize(90, 30);
    layout->activate();
    EXPECT_EQ(badge->width(), badge->sizeHint().width());
    EXPECT_GE(badge->sizeHint().width(), metrics.horizontalAdvance(QStringLiteral("ENTERPRISE")) + 16);
}

TEST(PlanBadgeTests, RendersTheTierColours)
{
    const testing::IsolatedTheme theme;
    for (const CodexPlanTier &tier : {CodexPlanTier::plus(), CodexPlanTier::proTwentyX()}) {
        // Drawn inside a parent, as in the header, so the glow has room around the badge.
        QWidget header;
        auto *layout = new QHBoxLayout(&header);
        layout->setContentsMargins(10, 10, 10, 10);
        auto *badge = new PlanBadge(tier);
        layout->addWidget(badge);
        header.resize(header.sizeHint());
        layout->activate();
        const QImage image = testing::renderTransparent(header);
        testing::saveSnapshotIfRequested(image,
                                         QStringLiteral("plan-badge-%1").arg(static_cast<int>(tier.kind())));
        EXPECT_GT(badge->width(), 20);
        EXPECT_LT(badge->width(), 120);
        EXPECT_GT(badge->height(), 10);
        EXPECT_LT(badge->height(), 40);
        const PlanBadgeStyle style = badge->style();
        // The text gradient runs from the start to the end colour; its strokes carry them.
        const int strong = testing::countPixelsNear(image, style.startColor, 40) +
                           testing::countPixelsNear(image, style.endColor, 40);
        EXPECT_GT(strong, 5) << badge->accessibleName().toStdString();
        // Only the Pro tier glows beyond its capsule (the glow falls 2 points lower).
        const QColor belowBadge =
            image.pixelColor(badge->geometry().center().x(), badge->geometry().bottom() + 3);
        EXPECT_EQ(belowBadge.alpha() > 0, style.glowOpacity > 0) << badge->accessibleName().toStdString();
    }
}

} // namespace
} // namespace pulsegrove
