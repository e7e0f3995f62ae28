#pragma once

#include <QColor>
#include <QImage>
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

} // namespace pulsegrove::testing
