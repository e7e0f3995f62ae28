#include "ViewRendering.h"
#include "views/primitives/SymbolCatalog.h"

#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// Every symbol name the panel, the native menu and the settings window draw.
const char *const designSymbols[] = {
    "arrow.clockwise",
    "arrow.counterclockwise",
    "arrow.counterclockwise.circle",
    "arrow.triangle.2.circlepath.circle.fill",
    "bolt.circle",
    "bolt.horizontal.circle.fill",
    "bolt.horizontal.fill",
    "bolt.slash.circle",
    "calendar",
    "chart.bar.xaxis",
    "chart.xyaxis.line",
    "checkmark.circle.fill",
    "chevron.down",
    "clock",
    "clock.badge.exclamationmark",
    "cpu",
    "dock.rectangle",
    "ellipsis",
    "exclamationmark.triangle",
    "gauge.with.dots.needle.33percent",
    "gear",
    "info.circle",
    "laptopcomputer",
    "memorychip",
    "menubar.rectangle",
    "paintpalette.fill",
    "power",
    "rectangle.3.group",
    "shield.lefthalf.filled",
    "slider.horizontal.3",
    "sparkles",
    "sunrise",
    "thermometer.medium",
};

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

// Every symbol of the design has a picture; one that had none would leave a hole in a menu row.
TEST(SymbolCatalogTests, EveryDesignSymbolHasAPicture)
{
    const QStringList known = SymbolCatalog::symbolNames();
    for (const char *symbol : designSymbols) {
        const QString name = QString::fromLatin1(symbol);
        EXPECT_TRUE(known.contains(name)) << symbol;
        EXPECT_FALSE(SymbolCatalog::icon(name).isNull()) << symbol;
    }
    EXPECT_TRUE(SymbolCatalog::icon(QStringLiteral("not.a.symbol")).isNull());
}

// At both pixel ratios each symbol covers a fair part of its square, every covered pixel takes the
// tint, and no two symbols share a picture: each name means something different, so a stand-in
// reused for a second meaning is a wrong picture for one of them. The sheet is saved for review.
TEST(SymbolCatalogTests, EverySymbolDrawsItsOwnPictureInTheTint)
{
    const QColor tint(255, 170, 40);
    const QStringList symbols = SymbolCatalog::symbolNames();
    for (const qreal ratio : {1.0, 2.0}) {
        constexpr int side = 20, cell = 28, columns = 6;
        QImage sheet(QSize(columns * cell * 5, (symbols.size() + columns - 1) / columns * cell) * ratio,
                     QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(ratio);
        sheet.fill(QColor(28, 30, 36));
        QPainter sheetPainter(&sheet);
        sheetPainter.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 7));
        sheetPainter.setPen(QColor(170, 170, 180));
        QHash<QByteArray, QString> pictures;
        for (int index = 0; index < symbols.size(); ++index) {
            const QString &symbol = symbols[index];
            SCOPED_TRACE(symbol.toStdString() + " at ratio " + std::to_string(ratio));
            const QImage image = drawSymbol(symbol, side, ratio, tint);
            const int covered = coveredPixels(image);
            EXPECT_GT(covered, image.width() * image.height() / 20);
            EXPECT_LT(covered, image.width() * image.height() * 3 / 4);
            EXPECT_EQ(testing::countInkPixels(image, tint, 0.25, 6), coveredPixels(image, 64));
            const QByteArray bits(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
            EXPECT_FALSE(pictures.contains(bits)) << "same picture as " << pictures.value(bits).toStdString();
            pictures.insert(bits, symbol);

            const QPointF origin((index % columns) * cell * 5, (index / columns) * cell);
            sheetPainter.drawImage(QRectF(origin + QPointF(4, 4), QSizeF(side, side)), image);
            sheetPainter.drawText(QRectF(origin + QPointF(cell, 0), QSizeF(cell * 4 - 4, cell)),
                                  Qt::AlignVCenter | Qt::AlignLeft, symbol);
        }
        sheetPainter.end();
        testing::snapshot(sheet, QStringLiteral("symbol-sheet@%1x").arg(ratio));
    }
}

// The icon handed to menu actions and buttons: sharp at the pixel ratio asked for, in the given
// colour (faded when disabled) or, without one, in the palette's text colour of each mode.
TEST(SymbolCatalogTests, IconsAreTintedPerModeAtEachPixelRatio)
{
    const QColor orange(255, 140, 0);
    const QPalette palette = QGuiApplication::palette();
    struct Case {
        QColor asked;
        QIcon::Mode mode;
        QColor expected;
    };
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
            int exact = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    exact += testing::isNear(image.pixelColor(x, y), c.expected, 3);
            EXPECT_GT(exact, image.width() * image.height() / 10);
        }
    }
}

} // namespace
} // namespace pulsegrove
