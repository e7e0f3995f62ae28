#include "ViewRendering.h"
#include "views/primitives/SymbolCatalog.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// The symbol drawn alone in white on a transparent square of `side` points at `ratio`.
QImage drawSymbol(const QString &symbol, int side, qreal ratio, const QColor &tint = Qt::white)
{
    QImage image(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    SymbolCatalog::paint(painter, QRectF(0, 0, side, side), symbol, tint);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

int coveredPixels(const QImage &image, int minimumAlpha = 128)
{
    int covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            covered += image.pixelColor(x, y).alpha() >= minimumAlpha ? 1 : 0;
    return covered;
}

// At both pixel ratios each symbol covers a fair part of its square, every covered pixel takes the
// tint, and no two symbols share a picture: each name means something different, so a stand-in
// reused for a second meaning is a wrong picture for one of them.
TEST(SymbolCatalogTests, EverySymbolDrawsItsOwnPictureInTheTint)
{
    const QColor tint(255, 170, 40);
    const QStringList symbols = SymbolCatalog::symbolNames();
    for (const qreal ratio : {1.0, 2.0}) {
        QHash<QByteArray, QString> pictures;
        for (const QString &symbol : symbols) {
            SCOPED_TRACE(symbol.toStdString() + " at ratio " + std::to_string(ratio));
            const QImage image = drawSymbol(symbol, 20, ratio, tint);
            const int covered = coveredPixels(image);
            EXPECT_GT(covered, image.width() * image.height() / 20);
            EXPECT_LT(covered, image.width() * image.height() * 3 / 4);
            EXPECT_EQ(testing::countInkPixels(image, tint, 0.25, 6), coveredPixels(image, 64));
            const QByteArray bits(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
            EXPECT_FALSE(pictures.contains(bits)) << "same picture as " << pictures.value(bits).toStdString();
            pictures.insert(bits, symbol);
        }
    }
}

// The picture of one symbol at 4 pixels per grid unit, read in grid units.
class Coverage {
public:
    explicit Coverage(const QString &symbol) : m_image(drawSymbol(symbol, 64, 1.0)) {}

    bool at(qreal x, qreal y) const { return m_image.pixelColor(pixel(x), pixel(y)).alpha() >= 128; }
    // The covered extent of row `y` (or column `x`), in grid units; 0 where nothing is covered.
    qreal rowSpan(qreal y) const
    {
        return span([&](int i) { return m_image.pixelColor(i, pixel(y)); });
    }
    qreal columnSpan(qreal x) const
    {
        return span([&](int i) { return m_image.pixelColor(pixel(x), i); });
    }
    QRectF bounds() const
    {
        QRect box;
        for (int y = 0; y < m_image.height(); ++y)
            for (int x = 0; x < m_image.width(); ++x)
                if (m_image.pixelColor(x, y).alpha() >= 128)
                    box |= QRect(x, y, 1, 1);
        return QRectF(box.x() / 4.0, box.y() / 4.0, box.width() / 4.0, box.height() / 4.0);
    }
    // How much of the picture differs from itself turned a quarter round.
    qreal quarterTurnMismatch() const
    {
        int covered = 0, mismatched = 0;
        for (int y = 0; y < m_image.height(); ++y)
            for (int x = 0; x < m_image.width(); ++x) {
                const bool here = m_image.pixelColor(x, y).alpha() >= 128;
                const bool turned = m_image.pixelColor(m_image.width() - 1 - y, x).alpha() >= 128;
                covered += here;
                mismatched += here != turned;
            }
        return covered ? qreal(mismatched) / covered : 1;
    }

private:
    static int pixel(qreal unit) { return std::clamp(int(unit * 4), 0, 63); }
    template <typename Pixel> qreal span(Pixel pixelAt) const
    {
        int first = -1, last = -1;
        for (int i = 0; i < 64; ++i)
            if (pixelAt(i).alpha() >= 128) {
                first = first < 0 ? i : first;
                last = i;
            }
        return first < 0 ? 0 : (last - first + 1) / 4.0;
    }

    QImage m_image;
};

// Facts of shape that tell each picture from the stand-ins that once drew the wrong thing: a
// chevron is an open V, not a solid triangle; a thermometer is a narrow tube over a wider bulb,
// not a speedometer; a processor has pins on all four sides alike, unlike a disk; a line chart
// stands on two axes, unlike an easel; a memory module lies wide; a laptop's base is wider than
// its screen, unlike a monitor on a stand.
TEST(SymbolCatalogTests, PicturesHaveTheShapeOfTheirMeaning)
{
    struct Case {
        const char *symbol;
        std::function<bool(const Coverage &)> holds;
    };
    const Case cases[] = {
        {"chevron.down",
         [](const Coverage &c) {
             return c.at(2.8, 5.6) && c.at(13.2, 5.6) && c.at(8, 10.6) && !c.at(8, 7) && !c.at(8, 3);
         }},
        {"thermometer.medium",
         [](const Coverage &c) {
             const QRectF box = c.bounds();
             return box.width() < box.height() * 0.5 && c.rowSpan(12.2) > c.rowSpan(4) * 1.3 && c.at(8, 8) &&
                    !c.at(8, 3.5);
         }},
        {"cpu",
         [](const Coverage &c) {
             return c.quarterTurnMismatch() < 0.05 && c.at(8, 1.5) && c.at(8, 14.5) && c.at(1.5, 8) &&
                    c.at(14.5, 8);
         }},
        {"chart.xyaxis.line",
         [](const Coverage &c) {
             return c.columnSpan(1.6) > 12 && c.rowSpan(14.4) > 12 && c.at(7.1, 6.9) && !c.at(13, 12);
         }},
        {"memorychip", [](const Coverage &c) { return c.bounds().width() > c.bounds().height() * 1.1; }},
        {"laptopcomputer", [](const Coverage &c) { return c.rowSpan(13) > c.rowSpan(6) * 1.2; }},
        {"ellipsis",
         [](const Coverage &c) { return c.at(2.9, 8) && c.at(8, 8) && c.at(13.1, 8) && !c.at(5.5, 8); }},
        {"checkmark.circle.fill",
         [](const Coverage &c) { return c.at(2, 8) && !c.at(7, 10.6) && c.at(8, 14); }},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(c.holds(Coverage(QString::fromLatin1(c.symbol)))) << c.symbol;
}

// The icon handed to menu actions and buttons: sharp at the pixel ratio asked for, in the given
// colour (faded when disabled) or, without one, in the palette's text colour of each mode; an
// unknown name gives a null icon.
TEST(SymbolCatalogTests, IconsAreTintedPerModeAtEachPixelRatio)
{
    const QColor orange(255, 140, 0);
    const QPalette palette = QGuiApplication::palette();
    struct Case {
        QColor asked;
        QIcon::Mode mode;
        QColor expected;
    };
    EXPECT_TRUE(SymbolCatalog::icon(QStringLiteral("not.a.symbol")).isNull()) << "no picture, no icon";
    const Case cases[] = {
        {orange, QIcon::Normal, orange},
        {orange, QIcon::Disabled, QColor(255, 140, 0, 102)},
        {{}, QIcon::Normal, palette.color(QPalette::Active, QPalette::WindowText)},
        {{}, QIcon::Disabled, palette.color(QPalette::Disabled, QPalette::WindowText)},
    };
    for (const Case &c : cases) {
        for (const qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(c.expected.name(QColor::HexArgb).toStdString() + " at ratio " +
                         std::to_string(ratio));
            const QPixmap pixmap =
                SymbolCatalog::icon(QStringLiteral("cpu"), c.asked).pixmap(QSize(16, 16), ratio, c.mode);
            EXPECT_EQ(pixmap.size(), QSize(16, 16) * ratio);
            EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(16, 16));
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            EXPECT_GT(testing::countPixelsNear(image, c.expected, 3), image.width() * image.height() / 10);
        }
    }
}

} // namespace
} // namespace pulsegrove
