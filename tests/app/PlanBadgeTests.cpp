#include "ViewRendering.h"
#include "views/PlanBadge.h"
#include "views/PlanBadgeModel.h"
#include "views/PlanBadgeStyle.h"
#include "views/primitives/IconTile.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// Pixels of the image inside `area` that are drawn at least `alpha` opaque.
int opaquePixels(const QImage &image, const QRect &area, int alpha = 200)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).alpha() >= alpha ? 1 : 0;
    return count;
}

// The badge keeps its ideal size and never truncates: it is laid out at that width however narrow
// the row.
// Drawn inside a parent, as in the header, so the glow has room; only the Pro tiers glow.
// Only PRO 20× carries a symbol: the badge keeps room for it ahead of the name and draws it there.
TEST(PlanBadgeTests, RendersAtItsIdealSizeInTheTierColours)
{
    const testing::IsolatedTheme theme;
    const struct {
        CodexPlanTier tier;
        const char *name;
        bool hasSymbol;
    } cases[] = {
        {CodexPlanTier::plus(), "plus", false},
        {CodexPlanTier::proFiveX(), "pro-5x", false},
        {CodexPlanTier::proTwentyX(), "pro-20x", true},
        {CodexPlanTier::other("CODEX"), "other", false},
    };
    for (const auto &[tier, name, hasSymbol] : cases) {
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
        EXPECT_EQ(badge->width(), qCeil(ideal.width())) << name;
        header.resize(header.sizeHint());
        layout->activate();
        const QImage image =
            testing::renderTransparent(header, QStringLiteral("plan-badge-") + QString::fromLatin1(name));
        const QRect box = badge->geometry();
        EXPECT_TRUE(box.width() > 20 && box.width() < 120 && box.height() > 10 && box.height() < 40);
        // The text's gradient strokes carry the start and end colours.
        EXPECT_GT(testing::countPixelsNear(image, style.startColor, 40) +
                      testing::countPixelsNear(image, style.endColor, 40),
                  5);
        // The glow falls 2 points lower, so it shows below the capsule.
        EXPECT_EQ(image.pixelColor(box.center().x(), box.bottom() + 3).alpha() > 0, style.glowOpacity > 0)
            << name;
        // Past the name and the padding of 8 on each side, a symbol of 8 and its spacing of 4.
        const qreal room = box.width() - QFontMetricsF(badge->font()).horizontalAdvance(text) - 16;
        EXPECT_EQ(room >= 8, hasSymbol) << name << ": " << room;
        if (hasSymbol) {
            EXPECT_GT(opaquePixels(image, QRect(box.left() + 8, box.center().y() - 4, 8, 8)), 8) << name;
        }
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
