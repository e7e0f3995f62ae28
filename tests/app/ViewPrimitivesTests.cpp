#include "UserDefaults.h"
#include "ViewRendering.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "theme/QuotaTheme.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/CardFrame.h"
#include "views/primitives/IconTile.h"
#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ThemeColor.h"
#include "views/primitives/ThemedButton.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/WindowPlacement.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

TEST(RoundedShapeTests, RadiusStopsAtACapsuleAndOutlineStaysInside)
{
    EXPECT_EQ(RoundedShape::path(QRectF(0, 0, 100, 10), 50),
              RoundedShape::capsulePath(QRectF(0, 0, 100, 10)));
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    RoundedShape::stroke(painter, QRectF(0, 0, 40, 20), 4, Qt::white, 1);
    painter.end();
    EXPECT_GT(std::min(image.pixelColor(20, 0).alpha(), image.pixelColor(20, 19).alpha()), 200);
    EXPECT_EQ(image.pixelColor(20, 10).alpha(), 0);
}

// The card is rounded, padded by its contents margins (not its content layout's), and filled
// with the card colour of the theme selected when it draws, not when it was built.
TEST(CardFrameTests, PaddedRoundedCardInTheThemeSelectedAtEachRepaint)
{
    const testing::IsolatedTheme theme;
    CardFrame frame(16);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(5, 5, 5, 5);
    auto *child = new QWidget;
    content->addWidget(child);
    frame.setContentLayout(content);
    frame.resize(200, 60);
    content->activate();
    EXPECT_EQ(child->geometry().topLeft(), QPoint(16, 16));
    for (const QuotaThemeID selected : {QuotaThemeID::aurora, QuotaThemeID::violet}) {
        UserDefaults::standard()->setString(PulsegrovePreferenceKeys::theme,
                                            QuotaThemeIDs::rawValue(selected));
        const QImage image = testing::renderTransparent(frame);
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "the corner is rounded off";
        const QColor card = ViewColors::withOpacity(QuotaThemeIDs::palette(selected).card, 0.86);
        EXPECT_TRUE(testing::isNear(image.pixelColor(100, 3), card, 3));
    }
}

// Each accent primitive keeps its ideal size and draws in the selected theme's accent, on a face
// that is faint (tile, tag) or solid (button).
TEST(AccentPrimitivesTests, DrawAtTheirIdealSizeInTheAccent)
{
    const testing::IsolatedTheme theme;
    IconTile tile(QStringLiteral("arrow.counterclockwise.circle"), IconTileStyle{});
    CapsuleTag tag(QStringLiteral("3 次可用"), {.font = ViewFonts::systemFont(10.5, QFont::Bold),
                                                .trailingSymbol = QStringLiteral("chevron.down")});
    ThemedButton button(QStringLiteral("打开模块设置"), QStringLiteral("slider.horizontal.3"),
                        ThemedButton::Kind::prominent, ThemedButton::ControlSize::large);
    EXPECT_EQ(tag.minimumSizeHint(), tag.sizeHint()) << "a tag never shrinks below its text";
    EXPECT_GT(button.sizeHint().width(), QFontMetricsF(button.font()).horizontalAdvance(button.text()));

    for (QWidget *view : std::initializer_list<QWidget *>{&tile, &tag, &button}) {
        const QString name =
            QString::fromLatin1(view->metaObject()->className()).section(QLatin1Char(':'), -1);
        SCOPED_TRACE(name.toStdString());
        view->resize(view->sizeHint());
        const QImage image = testing::renderTransparent(*view, name);
        const qreal faceOpacity = view == &button ? 1.0 : 0.12;
        EXPECT_NEAR(image.pixelColor(image.width() / 2, 2).alphaF(), faceOpacity, 0.01);
        EXPECT_GT(testing::countPixelsNear(image, ThemeColor::accent().resolve(), 20), 10);
    }
    const QImage face = testing::renderTransparent(button);
    EXPECT_GT(testing::countPixelsNear(face, ViewColors::textOnFill(button.faceColor()), 20), 10)
        << "the label takes the ink that reads on the accent";
}

// A window opens inside the available area less its frame: centred at its preferred size, shrunk
// where that does not fit, and never below its minimum (then at the area's top left).
TEST(WindowPlacementTests, FitsInsideTheAvailableAreaDownToTheMinimum)
{
    struct Case {
        QRect available;
        QSize preferred, minimum;
        QMargins frame;
        QRect expected;
    };
    const Case cases[] = {
        {{0, 32, 1280, 768}, {440, 610}, {420, 560}, {0, 24, 0, 0}, {420, 123, 440, 610}},
        {{0, 32, 1280, 768}, {1180, 780}, {860, 600}, {0, 24, 0, 0}, {50, 56, 1180, 744}},
        {{0, 0, 800, 500}, {1180, 780}, {860, 600}, {2, 20, 2, 2}, {2, 20, 860, 600}},
        {{1280, 0, 1920, 1080}, {440, 610}, {420, 560}, {}, {2020, 235, 440, 610}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WindowPlacement::fit(c.available, c.preferred, c.minimum, c.frame), c.expected)
            << c.preferred.width() << "×" << c.preferred.height() << " in " << c.available.height();
}

// The text shrinks to the minimum scale before it is elided: roomy; shrunk just enough; shrunk to
// the minimum and elided; elided at full size. An installed symbol leads it in the text's colour.
TEST(SymbolLabelTests, ShrinksToTheMinimumScaleBeforeElidingAfterItsSymbol)
{
    const testing::IsolatedTheme theme;
    const QFont font = ViewFonts::systemFont(10.5, QFont::Medium);
    const QString text = QStringLiteral("今天 18:30 重置");
    const qreal full = QFontMetricsF(font).horizontalAdvance(text), size = font.pointSizeF();
    struct Case {
        qreal width, minimumScale, smallest, largest;
        bool elided;
    };
    for (const Case &c :
         {Case{full + 1, 0.72, size, size, false}, Case{full * 0.85, 0.72, size * 0.84, size * 0.86, false},
          Case{full * 0.4, 0.72, size * 0.72, size * 0.72, true}, Case{full * 0.85, 1.0, size, size, true}}) {
        const SymbolLabel::FittedText fitted = SymbolLabel::fit(font, text, c.width, c.minimumScale);
        EXPECT_TRUE(c.elided ? fitted.text.endsWith(QStringLiteral("…")) && fitted.text != text
                             : fitted.text == text)
            << c.width << " " << fitted.text.toStdString();
        const qreal points = fitted.font.pointSizeF();
        EXPECT_TRUE(points >= c.smallest - 1e-9 && points <= c.largest + 1e-9) << c.width << " " << points;
    }

    SymbolLabel label(QStringLiteral("gauge.with.dots.needle.33percent"), text, font,
                      ThemeColor::secondaryText());
    const SymbolLabel plain(QStringLiteral("not.a.symbol"), text, font, ThemeColor::secondaryText());
    EXPECT_GT(label.sizeHint().width(), plain.sizeHint().width() + 5);
    label.resize(label.sizeHint());
    const QImage image = testing::renderTransparent(label, QStringLiteral("symbol-label"));
    EXPECT_GT(testing::countInkPixels(image.copy(0, 0, image.height(), image.height()),
                                      QuotaTheme::secondaryText()),
              12);
}

} // namespace
} // namespace pulsegrove
