#include "ViewRendering.h"
#include "views/PlanBadge.h"
#include "views/PlanBadgeModel.h"
#include "views/PlanBadgeStyle.h"
#include "views/primitives/IconTile.h"

#include <QHBoxLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// The badge keeps its ideal size and never truncates: it is laid out at that width however narrow
// the row.
// Drawn inside a parent, as in the header, so the glow has room; only the Pro tier glows.
TEST(PlanBadgeTests, RendersAtItsIdealSizeInTheTierColours)
{
    const testing::IsolatedTheme theme;
    for (const CodexPlanTier &tier : {CodexPlanTier::plus(), CodexPlanTier::proTwentyX()}) {
        const PlanBadgeStyle style = PlanBadgeStyle::forTier(tier);
        const QString text = PlanBadgeModel::displayText(tier);
        const QSizeF ideal = PlanBadgeModel::idealSize(tier);
        QWidget header;
        auto *layout = new QHBoxLayout(&header);
        layout->setContentsMargins(10, 10, 10, 10);
        auto *badge = new PlanBadge(tier);
        layout->addWidget(badge);
        header.resize(30, header.sizeHint().height());
        layout->activate();
        EXPECT_EQ(badge->width(), qCeil(ideal.width())) << text.toStdString();
        header.resize(header.sizeHint());
        layout->activate();
        const QImage image = testing::renderTransparent(header, QStringLiteral("plan-badge-") +
                                                                    text.section(QLatin1Char(' '), 0, 0));
        const QRect box = badge->geometry();
        EXPECT_TRUE(box.width() > 20 && box.width() < 120 && box.height() > 10 && box.height() < 40);
        // The text's gradient strokes carry the start and end colours.
        EXPECT_GT(testing::countPixelsNear(image, style.startColor, 40) +
                      testing::countPixelsNear(image, style.endColor, 40),
                  5);
        // The glow falls 2 points lower, so it shows below the capsule.
        EXPECT_EQ(image.pixelColor(box.center().x(), box.bottom() + 3).alpha() > 0, style.glowOpacity > 0)
            << text.toStdString();
    }
}

// Beside the header's 34-point icon tile, and when a parent hands it a taller box directly, the
// badge stays a capsule of its natural height centred in the row: above and below it, nothing.
TEST(PlanBadgeTests, KeepsItsNaturalHeightCentredInATallerRow)
{
    const testing::IsolatedTheme theme;
    const CodexPlanTier tier = CodexPlanTier::plus();
    const int naturalHeight = qCeil(PlanBadgeModel::idealSize(tier).height());
    QWidget row;
    auto *layout = new QHBoxLayout(&row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new IconTile(QStringLiteral("bolt.horizontal.fill"), IconTileStyle{}));
    auto *laidOut = new PlanBadge(tier);
    layout->addWidget(laidOut);
    layout->addStretch();
    row.resize(200, 48);
    layout->activate();
    EXPECT_EQ(laidOut->height(), naturalHeight);
    EXPECT_NEAR(laidOut->geometry().center().y(), 24, 1);

    PlanBadge placed(tier);
    placed.setGeometry(0, 0, placed.sizeHint().width(), 48);
    const QImage image = testing::renderTransparent(placed, QStringLiteral("plan-badge-tall-box"));
    const int middle = image.width() / 2;
    EXPECT_GT(image.pixelColor(middle, 24).alpha(), 0) << "the capsule sits in the middle";
    for (const int y : {0, 24 - naturalHeight / 2 - 2, 24 + naturalHeight / 2 + 2, 47})
        EXPECT_EQ(image.pixelColor(middle, y).alpha(), 0) << y;
}

} // namespace
} // namespace pulsegrove
