#include "UserDefaults.h"
#include "ViewRendering.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "theme/QuotaTheme.h"
#include "views/primitives/ActivityIndicator.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/CardFrame.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/IconTile.h"
#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ThemeColor.h"
#include "views/primitives/ThemedButton.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using ViewColors::srgb;

// Every symbol the panel, its cards, the status menu and the settings window name.
const QStringList designSymbols = {QStringLiteral("arrow.clockwise"),
                                   QStringLiteral("arrow.counterclockwise"),
                                   QStringLiteral("arrow.counterclockwise.circle"),
                                   QStringLiteral("arrow.triangle.2.circlepath.circle.fill"),
                                   QStringLiteral("bolt.circle"),
                                   QStringLiteral("bolt.horizontal.circle.fill"),
                                   QStringLiteral("bolt.horizontal.fill"),
                                   QStringLiteral("bolt.slash.circle"),
                                   QStringLiteral("calendar"),
                                   QStringLiteral("chart.bar.xaxis"),
                                   QStringLiteral("chart.xyaxis.line"),
                                   QStringLiteral("checkmark.circle.fill"),
                                   QStringLiteral("chevron.down"),
                                   QStringLiteral("clock"),
                                   QStringLiteral("clock.badge.exclamationmark"),
                                   QStringLiteral("cpu"),
                                   QStringLiteral("dock.rectangle"),
                                   QStringLiteral("ellipsis"),
                                   QStringLiteral("exclamationmark.triangle"),
                                   QStringLiteral("gauge.with.dots.needle.33percent"),
                                   QStringLiteral("gear"),
                                   QStringLiteral("info.circle"),
                                   QStringLiteral("laptopcomputer"),
                                   QStringLiteral("memorychip"),
                                   QStringLiteral("menubar.rectangle"),
                                   QStringLiteral("paintpalette.fill"),
                                   QStringLiteral("rectangle.3.group"),
                                   QStringLiteral("shield.lefthalf.filled"),
                                   QStringLiteral("slider.horizontal.3"),
                                   QStringLiteral("sparkles"),
                                   QStringLiteral("sunrise"),
                                   QStringLiteral("thermometer.medium")};

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

TEST(SymbolCatalogTests, EveryDesignSymbolHasAnInstalledIcon)
{
    EXPECT_EQ(SymbolCatalog::symbolNames().size(), designSymbols.size());
    for (const QString &symbol : designSymbols) {
        ASSERT_TRUE(SymbolCatalog::iconName(symbol).has_value()) << symbol.toStdString();
        EXPECT_FALSE(SymbolCatalog::icon(symbol).isNull()) << symbol.toStdString();
    }
}

TEST(SymbolCatalogTests, UnknownSymbolDrawsNothing)
{
    EXPECT_FALSE(SymbolCatalog::iconName(QStringLiteral("not.a.symbol")).has_value());
    EXPECT_TRUE(SymbolCatalog::icon(QStringLiteral("not.a.symbol")).isNull());
    QImage image = transparentImage(20, 20);
    QPainter painter(&image);
    EXPECT_FALSE(
        SymbolCatalog::paint(painter, QRectF(0, 0, 20, 20), QStringLiteral("not.a.symbol"), Qt::red));
    painter.end();
    EXPECT_EQ(testing::countPixelsNear(image, Qt::transparent, 0), 400);
    EXPECT_TRUE(SymbolCatalog::tintedPixmap(QStringLiteral("not.a.symbol"), 16, Qt::red).isNull());
}

// Tinting keeps the icon's shape and replaces every colour with the tint.
TEST(SymbolCatalogTests, SymbolsAreDrawnInTheTintOnly)
{
    const QColor tint = srgb(0.2, 0.78, 0.96);
    const QImage image = SymbolCatalog::tintedPixmap(QStringLiteral("sparkles"), 24, tint)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(24, 24));
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            ++covered;
            pixel.setAlpha(255);
            EXPECT_TRUE(testing::isNear(pixel, tint, 3)) << x << "," << y;
        }
    }
    EXPECT_GT(covered, 40);
}

TEST(ViewColorsTests, OpacityMultipliesTheColoursOwnAlpha)
{
    const QColor color = srgb(0.2, 0.4, 0.6, 0.5);
    EXPECT_NEAR(color.redF(), 0.2, 1e-6);
    EXPECT_NEAR(ViewColors::withOpacity(color, 0.5).alphaF(), 0.25, 1e-3);
    EXPECT_EQ(ViewColors::withOpacity(color, 0.5).rgb(), color.rgb());
    EXPECT_NEAR(ViewColors::withOpacity(color, 3).alphaF(), 1.0, 1e-6);
}

TEST(ViewFontsTests, PointsAreLogicalPixelsAndTrackingWidensText)
{
    const QFont font = ViewFonts::systemFont(14, QFont::Bold, FontDesign::rounded);
    EXPECT_EQ(font.family(), QApplication::font().family());
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_NEAR(QFontInfo(font).pixelSize(), 14, 1);

    const QString text = QStringLiteral("PLUS");
    const qreal plain = QFontMetricsF(font).horizontalAdvance(text);
    const qreal tracked = QFontMetricsF(ViewFonts::tracked(font, 0.5)).horizontalAdvance(text);
    EXPECT_NEAR(tracked - plain, 4 * 0.5, 0.3);
}

TEST(RoundedShapeTests, CapsuleRadiusIsHalfTheShorterSide)
{
    EXPECT_DOUBLE_EQ(RoundedShape::capsuleRadius(QRectF(0, 0, 100, 10)), 5);
    EXPECT_DOUBLE_EQ(RoundedShape::capsuleRadius(QRectF(0, 0, 4, 30)), 2);
    // A corner radius beyond the capsule's cannot bend the shape further.
    EXPECT_EQ(RoundedShape::path(QRectF(0, 0, 100, 10), 50),
              RoundedShape::capsulePath(QRectF(0, 0, 100, 10)));
}

TEST(RoundedShapeTests, OutlineStaysInsideTheRectangle)
{
    QImage image = transparentImage(40, 20);
    QPainter painter(&image);
    RoundedShape::stroke(painter, QRectF(0, 0, 40, 20), 4, Qt::white, 1);
    painter.end();
    const QImage result = image.convertToFormat(QImage::Format_ARGB32);
    EXPECT_GT(result.pixelColor(20, 0).alpha(), 200);
    EXPECT_GT(result.pixelColor(20, 19).alpha(), 200);
    EXPECT_EQ(result.pixelColor(20, 10).alpha(), 0);
}

TEST(ThemeColorTests, PaletteRolesFollowTheSelectedTheme)
{
    const testing::IsolatedTheme theme;
    const QuotaThemePalette &aurora = QuotaThemeIDs::palette(QuotaThemeID::aurora);
    EXPECT_EQ(ThemeColor::accent().resolve(), aurora.accent);
    EXPECT_NEAR(ThemeColor::card(0.86).resolve().alphaF(), 0.86, 1e-3);
    EXPECT_EQ(ThemeColor::card(0.86).resolve().rgb(), aurora.card.rgb());
    EXPECT_EQ(ThemeColor::border().resolve(), QuotaTheme::border());
    EXPECT_EQ(ThemeColor::secondaryText().resolve(), QuotaTheme::secondaryText());
    EXPECT_EQ(ThemeColor::fixed(Qt::red, 0.5).resolve(), ViewColors::withOpacity(Qt::red, 0.5));

    UserDefaults::standard()->setString(PulsegrovePreferenceKeys::theme, "violet");
    EXPECT_EQ(ThemeColor::accent().resolve(), QuotaThemeIDs::palette(QuotaThemeID::violet).accent);
    EXPECT_EQ(ThemeColor::panelTop().resolve(), QuotaThemeIDs::palette(QuotaThemeID::violet).panelTop);
}

TEST(CardFrameTests, PaddingIsTheContentsMarginAndTheCardIsRounded)
{
    const testing::IsolatedTheme theme;
    CardFrame frame(16);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(5, 5, 5, 5);
    auto *child = new QWidget;
    child->setFixedSize(50, 20);
    content->addWidget(child);
    frame.setContentLayout(content);
    EXPECT_EQ(content->contentsMargins(), QMargins());
    frame.resize(200, 60);
    content->activate();
    EXPECT_EQ(child->geometry().left(), 16);
    EXPECT_GE(child->geometry().top(), 16);

    const QImage image = testing::renderTransparent(frame);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "the corner is rounded off";
    const QColor card = ThemeColor::card(0.86).resolve();
    EXPECT_TRUE(testing::isNear(image.pixelColor(100, 3), card, 3));
}

TEST(CardFrameTests, ShadowIsAnEffectThatDrawsBeyondTheCard)
{
    const testing::IsolatedTheme theme;
    QWidget parent;
    parent.resize(100, 100);
    CardFrameStyle style;
    style.shadow = ViewShadow{Qt::black, 0, QPointF(0, 8)};
    auto *frame = new CardFrame(10, style, &parent);
    frame->setGeometry(10, 10, 80, 50);
    auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(frame->graphicsEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->offset(), QPointF(0, 8));

    const QImage image = testing::renderTransparent(parent);
    // Below the card's bottom edge (y = 60) the shadow shows.
    EXPECT_GT(image.pixelColor(50, 64).alpha(), 100);
    EXPECT_EQ(image.pixelColor(50, 75).alpha(), 0);

    style.shadow.reset();
    frame->setStyle(style);
    EXPECT_EQ(frame->graphicsEffect(), nullptr);
}

TEST(IconTileTests, DrawsTheTileAndTheSymbolInTheAccent)
{
    const testing::IsolatedTheme theme;
    IconTileStyle style;
    style.side = 34;
    style.stroke = ThemeColor::accent(0.3);
    IconTile tile(QStringLiteral("arrow.counterclockwise.circle"), style);
    EXPECT_EQ(tile.size(), QSize(34, 34));
    const QImage image = testing::renderTransparent(tile);
    testing::saveSnapshotIfRequested(image, QStringLiteral("icon-tile"));
    EXPECT_GT(testing::countPixelsNear(image, ThemeColor::accent().resolve(), 8), 20);
    // The faint fill: a translucent pixel of the accent's hue.
    const QColor fill = image.pixelColor(4, 17);
    EXPECT_NEAR(fill.alphaF(), 0.12, 0.01);
    EXPECT_NEAR(fill.hueF(), ThemeColor::accent().resolve().hueF(), 0.05);
}

TEST(ThemedButtonTests, ProminentFaceIsTheAccentAndLabelFits)
{
    const testing::IsolatedTheme theme;
    ThemedButton button(QStringLiteral("打开模块设置"), QStringLiteral("slider.horizontal.3"),
                        ThemedButton::Kind::prominent, ThemedButton::ControlSize::large);
    EXPECT_EQ(button.faceColor(), ThemeColor::accent().resolve());
    EXPECT_GE(button.sizeHint().width(),
              QFontMetricsF(button.font()).horizontalAdvance(button.text()) + 14 + 6 + 2 * 14 - 1);
    EXPECT_EQ(button.sizeHint().height(), 30);
    button.resize(button.sizeHint());
    const QImage image = testing::renderTransparent(button);
    EXPECT_GT(testing::countPixelsNear(image, button.faceColor(), 4), image.width() * 10);
}

TEST(CapsuleTagTests, KeepsItsIdealSizeAndDrawsOnTheFaintAccent)
{
    const testing::IsolatedTheme theme;
    CapsuleTagStyle style;
    style.font = ViewFonts::systemFont(10.5, QFont::Bold, FontDesign::rounded);
    style.horizontalPadding = 9;
    style.verticalPadding = 6;
    const QFontMetricsF metrics(style.font);
    CapsuleTag tag(QStringLiteral("3 次可用"), style);
    EXPECT_NEAR(tag.idealSize().width(), metrics.horizontalAdvance(QStringLiteral("3 次可用")) + 18, 1e-6);

    style.trailingSymbol = QStringLiteral("chevron.down");
    CapsuleTag withChevron(QStringLiteral("3 次可用"), style);
    EXPECT_NEAR(withChevron.idealSize().width(), tag.idealSize().width() + 5 + 8, 1e-6);
    EXPECT_EQ(withChevron.minimumSizeHint(), withChevron.sizeHint());

    withChevron.resize(withChevron.sizeHint());
    const QImage image = testing::renderTransparent(withChevron);
    const QColor fill = image.pixelColor(image.width() / 2, 1);
    EXPECT_NEAR(fill.alphaF(), 0.12, 0.01);
    EXPECT_GT(testing::countPixelsNear(image, ThemeColor::accent().resolve(), 30), 5);
}

TEST(SymbolLabelTests, ShrinksToTheMinimumScaleBeforeEliding)
{
    const QFont font = ViewFonts::systemFont(10.5, QFont::Medium);
    const QString text = QStringLiteral("今天 18:30 重置");
    const qreal fullWidth = QFontMetricsF(font).horizontalAdvance(text);

    const SymbolLabel::FittedText roomy = SymbolLabel::fit(font, text, fullWidth + 1, 0.72);
    EXPECT_EQ(roomy.text, text);
    EXPECT_EQ(roomy.font.pointSizeF(), font.pointSizeF());

    const SymbolLabel::FittedText shrunk = SymbolLabel::fit(font, text, fullWidth * 0.85, 0.72);
    EXPECT_EQ(shrunk.text, text);
    EXPECT_LT(shrunk.font.pointSizeF(), font.pointSizeF());
    EXPECT_GE(shrunk.font.pointSizeF(), font.pointSizeF() * 0.72 - 1e-9);

    const SymbolLabel::FittedText elided = SymbolLabel::fit(font, text, fullWidth * 0.4, 0.72);
    EXPECT_NEAR(elided.font.pointSizeF(), font.pointSizeF() * 0.72, 1e-9);
    EXPECT_TRUE(elided.text.endsWith(QStringLiteral("…")));

    // Without a minimum scale the text is elided at its own size.
    const SymbolLabel::FittedText unscaled = SymbolLabel::fit(font, text, fullWidth * 0.85, 1.0);
    EXPECT_EQ(unscaled.font.pointSizeF(), font.pointSizeF());
    EXPECT_TRUE(unscaled.text.endsWith(QStringLiteral("…")));
}

TEST(SymbolLabelTests, SymbolLeadsTheTextInItsColour)
{
    const testing::IsolatedTheme theme;
    const QFont font = ViewFonts::systemFont(10.5, QFont::Medium);
    SymbolLabel label(QStringLiteral("gauge.with.dots.needle.33percent"), QStringLiteral("已用 37%"), font,
                      ThemeColor::secondaryText());
    SymbolLabel plain(QStringLiteral("not.a.symbol"), QStringLiteral("已用 37%"), font,
                      ThemeColor::secondaryText());
    EXPECT_GT(label.sizeHint().width(), plain.sizeHint().width() + 5);
    EXPECT_EQ(label.accessibleName(), QStringLiteral("已用 37%"));

    label.resize(label.sizeHint());
    const QImage image = testing::renderTransparent(label);
    testing::saveSnapshotIfRequested(image, QStringLiteral("symbol-label"));
    // The symbol occupies the leading square, drawn in the secondary text colour.
    const QImage symbol = image.copy(0, 0, image.height(), image.height());
    EXPECT_GT(testing::countPixelsNear(symbol, QuotaTheme::secondaryText(), 10), 5);
}

TEST(DarkPaletteTests, LightTextOnDarkSurfaces)
{
    const QPalette palette = DarkPalette::palette();
    EXPECT_GT(palette.color(QPalette::WindowText).lightnessF(), 0.8);
    EXPECT_LT(palette.color(QPalette::Window).lightnessF(), 0.2);
    EXPECT_LT(palette.color(QPalette::Base).lightnessF(), 0.2);
    QWidget window;
    DarkPalette::apply(&window);
    auto *child = new QWidget(&window);
    EXPECT_EQ(child->palette().color(QPalette::WindowText), palette.color(QPalette::WindowText));
}

TEST(ActivityIndicatorTests, IsSmallAndTintedWithTheAccent)
{
    const testing::IsolatedTheme theme;
    ActivityIndicator indicator;
    EXPECT_EQ(indicator.sizeHint(), QSize(16, 16));
    indicator.resize(indicator.sizeHint());
    const QImage image = testing::renderTransparent(indicator);
    EXPECT_GT(testing::countPixelsNear(image, ThemeColor::accent().resolve(), 10), 3);
}

} // namespace
} // namespace pulsegrove
