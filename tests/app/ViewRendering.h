#pragma once

#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cmath>

namespace pulsegrove::testing {

// Points every user-defaults read at an empty configuration folder, so the views draw in the
// default theme whatever the machine running the tests has chosen.
class IsolatedTheme {
    TemporaryDirectory m_folder;
    ScopedEnvironmentVariable m_config{"XDG_CONFIG_HOME", (m_folder.path() / "config").string()};
};

// Writes the image to $PULSEGROVE_VIEW_SNAPSHOTS/<name>.png when that folder is set and a name is
// given, so a developer can look at what the offscreen renders drew.
inline QImage snapshot(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("PULSEGROVE_VIEW_SNAPSHOTS");
    if (!folder.isEmpty() && !name.isEmpty() && QDir().mkpath(folder))
        image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
    return image;
}

// Lays the view out at `width` (height from its height-for-width, else its size hint), grabs it.
inline QImage renderAtWidth(QWidget &view, int width, const QString &name = {})
{
    view.ensurePolished();
    view.resize(width, view.hasHeightForWidth() ? view.heightForWidth(width) : view.sizeHint().height());
    return snapshot(view.grab().toImage().convertToFormat(QImage::Format_ARGB32), name);
}

// The widget at its current size drawn alone on a transparent image, for exact colour checks, at
// the widget's pixel ratio (1 unless QT_SCALE_FACTOR asks for another, to look at the renders).
inline QImage renderTransparent(QWidget &view, const QString &name = {})
{
    const qreal ratio = view.devicePixelRatioF();
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return snapshot(image.convertToFormat(QImage::Format_ARGB32), name);
}

inline bool isNear(const QColor &a, const QColor &b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline int countPixelsNear(const QImage &image, const QColor &color, int tolerance = 12)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += isNear(image.pixelColor(x, y), color, tolerance) ? 1 : 0;
    return count;
}

// Pixels drawn in `color` and covered at least `coverage` of the way (antialiased edges of thin
// lines count, pixels of another colour do not).
inline int countInkPixels(const QImage &image, const QColor &color, qreal coverage = 0.5, int tolerance = 12)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QColor pixel = image.pixelColor(x, y);
            const bool covered = pixel.alphaF() >= coverage * color.alphaF();
            pixel.setAlpha(color.alpha());
            count += covered && isNear(pixel, color, tolerance) ? 1 : 0;
        }
    return count;
}

} // namespace pulsegrove::testing
