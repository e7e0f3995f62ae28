#include "ViewRendering.h"
#include "theme/QuotaTheme.h"
#include "views/PlanBadge.h"
#include "views/PlanBadgeModel.h"
#include "views/PlanBadgeStyle.h"
#include "views/primitives/ViewColors.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using ViewColors::srgb;

// What distinguishes the tiers: symbol, outline, glow and the spoken text; the colours are
// checked on the rendered badge below.
TEST(PlanBadgeModelTests, SymbolOutlineGlowAndTextsFollowTheTier)
{
    struct Case {
        CodexPlanTier tier;
        const char *spoken;
        bool sparkles;
        qreal outline;
        double glow;
    };
    for (const Case &c : {Case{CodexPlanTier::plus(), "套餐 PLUS", false, 0.55, 0},
                          Case{CodexPlanTier::proFiveX(), "套餐 PRO 5×", false, 0.55, 0.1},
                          Case{CodexPlanTier::proTwentyX(), "套餐 PRO 20×", true, 0.8, 0.3},
                          Case{CodexPlanTier::other("EDU"), "套餐 EDU", false, 0.55, 0}}) {
        const PlanBadgeStyle style = PlanBadgeStyle::forTier(c.tier);
        EXPECT_EQ(PlanBadgeModel::accessibilityLabel(c.tier), QString::fromUtf8(c.spoken));
        EXPECT_EQ(PlanBadgeModel::displayText(c.tier), QString::fromUtf8(c.spoken).mid(3));
        EXPECT_EQ(style.symbolName == QStringLiteral("sparkles"), c.sparkles) << c.spoken;
        EXPECT_DOUBLE_EQ(PlanBadgeModel::outlineWidth(c.tier), c.outline) << c.spoken;
        const std::optional<ViewShadow> glow = PlanBadgeModel::glow(c.tier);
        ASSERT_EQ(glow.has_value(), c.glow > 0) << c.spoken;
        if (glow) {
            EXPECT_EQ(glow->color.rgb(), style.startColor.rgb());
            EXPECT_NEAR(glow->color.alphaF(), c.glow, 1e-3);
            EXPECT_EQ(*glow, (ViewShadow{glow->color, 7, QPointF(0, 2)}));
        }
    }
}

TEST(PlanBadgeStyleTests, OtherPlansFadeTheSharedSecondaryColour)
{
    const PlanBadgeStyle style = PlanBadgeStyle::forTier(CodexPlanTier(std::string_view("enterprise")));
    EXPECT_EQ(style.startColor, QuotaTheme::secondaryText());
    EXPECT_EQ(style.endColor, ViewColors::withOpacity(QuotaTheme::secondaryText(), 0.72));
}

// The badge keeps its ideal size (the tracked text, with the symbol and its spacing for the top
// tier, plus padding) and never truncates: it is laid out at that width however narrow the row.
// Drawn inside a parent, as in the header, so the glow has room; only the Pro tier glows.
TEST(PlanBadgeTests, RendersAtItsIdealSizeInTheTierColours)
{
    const testing::IsolatedTheme theme;
    const QFontMetricsF metrics(PlanBadgeModel::textFont());
    struct Case {
        CodexPlanTier tier;
        QColor start, end;
        qreal symbolWidth;
    };
    for (const Case &c :
         {Case{CodexPlanTier::plus(), srgb(0.24, 0.82, 0.98), srgb(0.20, 0.64, 0.98), 0},
          Case{CodexPlanTier::proTwentyX(), srgb(1.0, 0.82, 0.39), srgb(0.93, 0.61, 0.18), 8 + 4}}) {
        EXPECT_EQ(PlanBadgeStyle::forTier(c.tier).startColor, c.start);
        EXPECT_EQ(PlanBadgeStyle::forTier(c.tier).endColor, c.end);
        const QSizeF ideal = PlanBadgeModel::idealSize(c.tier);
        const QString text = PlanBadgeModel::displayText(c.tier);
        EXPECT_NEAR(ideal.width(), metrics.horizontalAdvance(text) + 16 + c.symbolWidth, 1e-6);
        EXPECT_NEAR(ideal.height(), metrics.height() + 8, 1e-6);
        QWidget header;
        auto *layout = new QHBoxLayout(&header);
        layout->setContentsMargins(10, 10, 10, 10);
        auto *badge = new PlanBadge(c.tier);
        layout->addWidget(badge);
        header.resize(30, header.sizeHint().height());
        layout->activate();
        EXPECT_EQ(badge->width(), qCeil(ideal.width())) << text.toStdString();
        header.resize(header.sizeHint());
        layout->activate();
        const QImage image =
            testing::renderTransparent(header, QStringLiteral("plan-badge-%1").arg(c.symbolWidth));
        EXPECT_TRUE(badge->width() > 20 && badge->width() < 120 && badge->height() > 10 &&
                    badge->height() < 40);
        // The text's gradient strokes carry the start and end colours.
        EXPECT_GT(testing::countPixelsNear(image, c.start, 40) + testing::countPixelsNear(image, c.end, 40),
                  5);
        // The glow falls 2 points lower, so it shows below the capsule.
        const QColor belowBadge =
            image.pixelColor(badge->geometry().center().x(), badge->geometry().bottom() + 3);
        EXPECT_EQ(belowBadge.alpha() > 0, c.symbolWidth > 0) << text.toStdString();
    }
}

} // namespace
} // namespace pulsegrove
