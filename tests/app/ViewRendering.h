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
#include <memory>

namespace pulsegrove::testing {

// Points every user-defaults read at an empty configuration folder, so the views draw in the
// default theme whatever the machine running the tests has chosen.
class IsolatedTheme {
public:
    IsolatedTheme() : m_config("XDG_CONFIG_HOME", (m_folder.path() / "config").string()) {}

    const TemporaryDirectory &folder() const { return m_folder; }

private:
    TemporaryDirectory m_folder;
    ScopedEnvironmentVariable m_config;
};

// Lays the view out at `width` (height from its layout's height-for-width, else its size hint)
// and grabs it.
inline QImage renderAtWidth(QWidget &view, int width)
{
    view.ensurePolished();
    const int height = view.hasHeightForWidth() ? view.heightForWidth(width) : view.sizeHint().height();
    view.resize(width, height);
    return view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The widget drawn alone on a transparent image, for exact colour checks.
inline QImage renderTransparent(QWidget &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

inline bool isNear(const QColor &a, const QColor &b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline int countPixelsNear(const QImage &image, const QColor &color, int tolerance = 12)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isNear(image.pixelColor(x, y), color, tolerance))
                ++count;
        }
    }
    return count;
}

// Writes the image to $PULSEGROVE_VIEW_SNAPSHOTS/<name>.png when that folder is set, so a
// developer can look at what the offscreen renders drew.
inline void saveSnapshotIfRequested(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("PULSEGROVE_VIEW_SNAPSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace pulsegrove::testing
