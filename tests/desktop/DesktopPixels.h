#pragma once

#include "statusitem/StatusItemIconRenderer.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <cstdlib>

namespace pulsegrove::testing {

// The share of a picture's pixels that stand out from its corner, the tray's background: the
// title's glyphs and their outline.
inline double drawnShare(const QImage &image)
{
    if (image.isNull())
        return 0.0;
    const int background = QColor(image.pixel(0, 0)).lightness();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += std::abs(QColor(image.pixel(x, y)).lightness() - background) > 60 ? 1 : 0;
    return double(drawn) / (image.width() * image.height());
}

// What the screen shows in the rectangle.
inline QImage grabScreen(int x, int y, int width, int height)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, x, y, width, height)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The share of a `side`-pixel square that the icon drawn for `title` covers on `background`.
inline double titleShare(const QString &title, int side, QRgb background)
{
    QImage drawn(side, side, QImage::Format_RGB32);
    drawn.fill(background);
    QPainter(&drawn).drawImage(0, 0, StatusItemIconRenderer::render(title, 1.0, side));
    return drawnShare(drawn);
}

} // namespace pulsegrove::testing
