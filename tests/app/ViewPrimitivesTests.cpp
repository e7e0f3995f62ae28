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
#include "views/primitives/WrappingText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A symbol whose icon is not installed would silently draw nothing wherever the views name it.
TEST(SymbolCatalogTests, EverySymbolHasAnInstalledIconAndUnknownOnesDrawNothing)
{
    for (const QString &symbol : SymbolCatalog::symbolNames())
        EXPECT_FALSE(SymbolCatalog::icon(symbol).isNull()) << symbol.toStdString();

    const QString unknown = QStringLiteral("not.a.symbol");
    EXPECT_FALSE(SymbolCatalog::iconName(unknown).has_value());
    QImage image = transparentImage(20, 20);
    QPainter painter(&image);
    EXPECT_FALSE(SymbolCatalog::paint(painter, QRectF(0, 0, 20, 20), unknown, Qt::red));
    painter.end();
    EXPECT_EQ(testing::countPixelsNear(image, Qt::transparent, 0), 400);
    EXPECT_TRUE(SymbolCatalog::tintedPixmap(unknown, 16, Qt::red).isNull());
}

TEST(ViewFontsTests, PointsAreLogicalPixelsAndTrackingWidensText)
{
    const QFont font = ViewFonts::systemFont(14, QFont::Bold, FontDesign::rounded);
    EXPECT_NEAR(QFontInfo(font).pixelSize(), 14, 1);
    const QString text = QStringLiteral("PLUS");
    const qreal plain = QFontMetricsF(font).horizontalAdvance(text);
    EXPECT_NEAR(QFontMetricsF(ViewFonts::tracked(font, 0.5)).horizontalAdvance(text) - plain, 4 * 0.5, 0.3);
}

TEST(RoundedShapeTests, RadiusStopsAtACapsuleAndOutlineStaysInside)
{
    EXPECT_EQ(RoundedShape::path(QRectF(0, 0, 100, 10), 50),
              RoundedShape::capsulePath(QRectF(0, 0, 100, 10)));
    QImage image = transparentImage(40, 20);
    QPainter painter(&image);
    RoundedShape::stroke(painter, QRectF(0, 0, 40, 20), 4, Qt::white, 1);
    painter.end();
    EXPECT_GT(image.pixelColor(20, 0).alpha(), 200);
    EXPECT_GT(image.pixelColor(20, 19).alpha(), 200);
    EXPECT_EQ(image.pixelColor(20, 10).alpha(), 0);
}

// The card is rounded, padded by its contents margins, and filled with the card colour of the
// theme selected when it draws: a theme chosen after it was built shows at the next repaint.
TEST(CardFrameTests, PaddedRoundedCardInTheThemeSelectedAtEachRepaint)
{
    const testing::IsolatedTheme theme;
    CardFrame frame(16);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(5, 5, 5, 5);
    auto *child = new QWidget;
    child->setFixedSize(50, 20);
    content->addWidget(child);
    frame.setContentLayout(content);
    frame.resize(200, 60);
    content->activate();
    EXPECT_EQ(child->geometry().left(), 16);

    for (const QuotaThemeID selected : {QuotaThemeID::aurora, QuotaThemeID::violet}) {
        UserDefaults::standard()->setString(PulsegrovePreferenceKeys::theme,
                                            QuotaThemeIDs::rawValue(selected));
        const QImage image = testing::renderTransparent(frame);
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "the corner is rounded off";
        const QColor card = ViewColors::withOpacity(QuotaThemeIDs::palette(selected).card, 0.86);
        EXPECT_TRUE(testing::isNear(image.pixelColor(100, 3), card, 3));
    }
}

// Each accent primitive takes its ideal size (the padding, symbol and spacing around its text)
// and draws in the selected theme's accent, on a face that is faint (tile, tag) or solid (button).
TEST(AccentPrimitivesTests, DrawAtTheirIdealSizeInTheAccent)
{
    const testing::IsolatedTheme theme;
    IconTile tile(QStringLiteral("arrow.counterclockwise.circle"), IconTileStyle{});
    CapsuleTagStyle tagStyle;
    tagStyle.font = ViewFonts::systemFont(10.5, QFont::Bold, FontDesign::rounded);
    tagStyle.trailingSymbol = QStringLiteral("chevron.down");
    CapsuleTag tag(QStringLiteral("3 次可用"), tagStyle);
    ThemedButton button(QStringLiteral("打开模块设置"), QStringLiteral("slider.horizontal.3"),
                        ThemedButton::Kind::prominent, ThemedButton::ControlSize::large);
    EXPECT_EQ(tile.size(), QSize(34, 34));
    EXPECT_NEAR(tag.idealSize().width(),
                QFontMetricsF(tagStyle.font).horizontalAdvance(tag.text()) + 14 + 5 + 8, 1e-6);
    EXPECT_EQ(tag.minimumSizeHint(), tag.sizeHint());
    EXPECT_GE(button.sizeHint().width(),
              QFontMetricsF(button.font()).horizontalAdvance(button.text()) + 14 + 6 + 2 * 14 - 1);
    EXPECT_EQ(button.sizeHint().height(), 30);

    const QColor accent = ThemeColor::accent().resolve();
    for (QWidget *view : std::initializer_list<QWidget *>{&tile, &tag, &button}) {
        view->resize(view->sizeHint());
        const QImage image = testing::renderTransparent(
            *view, QString::fromLatin1(view->metaObject()->className()).section(QLatin1Char(':'), -1));
        const qreal faceOpacity = view == &button ? 1.0 : 0.12;
        EXPECT_NEAR(image.pixelColor(image.width() / 2, 2).alphaF(), faceOpacity, 0.01)
            << view->metaObject()->className();
        EXPECT_GT(testing::countPixelsNear(image, accent, 20), 10) << view->metaObject()->className();
    }
}

TEST(SymbolLabelTests, ShrinksToTheMinimumScaleBeforeEliding)
{
    const QFont font = ViewFonts::systemFont(10.5, QFont::Medium);
    const QString text = QStringLiteral("今天 18:30 重置");
    const qreal full = QFontMetricsF(font).horizontalAdvance(text);
    const qreal size = font.pointSizeF();
    struct Case {
        qreal width, minimumScale, smallest, largest;
        bool elided;
    };
    // Roomy; shrunk just enough; shrunk to the minimum and elided; elided at full size.
    for (const Case &c :
         {Case{full + 1, 0.72, size, size, false}, Case{full * 0.85, 0.72, size * 0.72, size * 0.99, false},
          Case{full * 0.4, 0.72, size * 0.72, size * 0.72, true}, Case{full * 0.85, 1.0, size, size, true}}) {
        const SymbolLabel::FittedText fitted = SymbolLabel::fit(font, text, c.width, c.minimumScale);
        EXPECT_EQ(fitted.text == text, !c.elided) << c.width;
        EXPECT_EQ(fitted.text.endsWith(QStringLiteral("…")), c.elided) << c.width;
        EXPECT_GE(fitted.font.pointSizeF(), c.smallest - 1e-9) << c.width;
        EXPECT_LE(fitted.font.pointSizeF(), c.largest + 1e-9) << c.width;
    }
}

TEST(SymbolLabelTests, SymbolLeadsTheTextInItsColour)
{
    const testing::IsolatedTheme theme;
    const QFont font = ViewFonts::systemFont(10.5, QFont::Medium);
    const QString text = QStringLiteral("已用 37%");
    SymbolLabel label(QStringLiteral("gauge.with.dots.needle.33percent"), text, font,
                      ThemeColor::secondaryText());
    const SymbolLabel plain(QStringLiteral("not.a.symbol"), text, font, ThemeColor::secondaryText());
    EXPECT_GT(label.sizeHint().width(), plain.sizeHint().width() + 5);
    label.resize(label.sizeHint());
    const QImage image = testing::renderTransparent(label, QStringLiteral("symbol-label"));
    const QImage symbol = image.copy(0, 0, image.height(), image.height());
    EXPECT_GT(testing::countPixelsNear(symbol, QuotaTheme::secondaryText(), 10), 5);
}

// Error messages come from outside: a path or token with no break opportunity must still wrap
// within the offered width rather than widen the card; an empty text still keeps its line.
TEST(WrappingTextTests, BreaksWordsLongerThanTheWidthAndKeepsAnEmptyLine)
{
    const QFont font = ViewFonts::systemFont(11, QFont::Medium);
    const WrappingText token(QStringLiteral("<b>x</b>").repeated(20), font, ThemeColor::secondaryText());
    EXPECT_LE(token.minimumSizeHint().width(), 0);
    const int lineHeight = qCeil(QFontMetricsF(font).height());
    EXPECT_GT(token.heightForWidth(120), 3 * lineHeight);
    EXPECT_LT(token.heightForWidth(2000), 2 * lineHeight);

    const WrappingText empty(QString(), font, std::nullopt);
    EXPECT_EQ(empty.heightForWidth(200), lineHeight);
    EXPECT_EQ(empty.minimumSizeHint().height(), lineHeight);
}

} // namespace
} // namespace pulsegrove
