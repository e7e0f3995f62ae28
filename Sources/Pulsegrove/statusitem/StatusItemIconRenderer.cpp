#include "statusitem/StatusItemIconRenderer.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

// The glyphs are laid out once at this size and scaled; paths scale without hinting surprises.
constexpr qreal referencePixelSize = 100.0;
// A title whose glyphs would be lower than both of these loses its per-cent sign.
constexpr qreal minimumLegibleShare = 0.5;
constexpr qreal minimumLegiblePixels = 14.0;
constexpr qreal maximumTextHeight = 0.7;
// The glyphs may be squeezed horizontally to this share of their height's scale, no further.
constexpr qreal minimumAspect = 0.78;

QFont titleFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStretch(QFont::Condensed);
    font.setWeight(QFont::Bold);
    font.setPixelSize(int(referencePixelSize));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// How many dark copies make the outline.
constexpr int outlineSteps = 8;

// The part of the outline that lies outside the glyphs, in pixels.
qreal outlineWidth(int size)
{
    return std::max(1.0, size / 24.0);
}

struct FittedPath {
    QPainterPath path; // in reference units
    qreal scaleX = 1.0;
    qreal scaleY = 1.0;
};

// The glyph outlines of a text at the reference size. Titles are few ("0%" to "100%", "PG"),
// so each is laid out once per run; the table is emptied should it ever grow past that.
const QPainterPath &textPath(const QString &text)
{
    static QHash<QString, QPainterPath> paths;
    const auto found = paths.constFind(text);
    if (found != paths.constEnd())
        return *found;
    if (paths.size() > 512)
        paths.clear();
    QPainterPath path;
    path.addText(0, 0, titleFont(), text);
    return *paths.insert(text, path);
}

FittedPath fit(const QString &text, int size)
{
    FittedPath fitted;
    fitted.path = textPath(text);
    const QRectF bounds = fitted.path.boundingRect();
    if (bounds.isEmpty())
        return fitted;
    const qreal widthScale = (size - 2 * (outlineWidth(size) + 1.0 + size / 64.0)) / bounds.width();
    fitted.scaleY = std::min(size * maximumTextHeight / bounds.height(), widthScale / minimumAspect);
    fitted.scaleX = std::min(fitted.scaleY, widthScale);
    return fitted;
}

bool isLegible(const FittedPath &fitted, int size)
{
    const qreal height = fitted.path.boundingRect().height() * fitted.scaleY;
    return height >= size * minimumLegibleShare || height >= minimumLegiblePixels;
}

} // namespace

QString StatusItemIconRenderer::fittedText(const QString &title, int size)
{
    const QString digits = QString(title).remove(QLatin1Char('%'));
    if (digits == title || digits.isEmpty() || isLegible(fit(title, size), size))
        return title;
    return digits;
}

QImage StatusItemIconRenderer::render(const QString &title, qreal alpha, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QString text = fittedText(title, size);
    const FittedPath fitted = fit(text, size);
    const QRectF bounds = fitted.path.boundingRect();
    if (bounds.isEmpty())
        return image;
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        // The glyphs are drawn as text at their final size (the font engine caches them) rather
        // than as filled outlines, which cost a hundred times more to rasterise.
        QFont font = titleFont();
        font.setPixelSize(std::max(1, qRound(referencePixelSize * fitted.scaleY)));
        painter.setFont(font);
        const qreal emScale = font.pixelSize() / referencePixelSize;
        const QPointF origin(-bounds.center().x() * emScale, -bounds.center().y() * emScale);
        const auto drawAt = [&](qreal dx, qreal dy, const QColor &colour) {
            painter.resetTransform();
            painter.translate(size / 2.0 + dx, size / 2.0 + dy);
            painter.scale(fitted.scaleX / emScale, fitted.scaleY / emScale);
            painter.setPen(colour);
            painter.drawText(origin, text);
        };
        // The outline: dark copies around the glyphs' place, under the light glyphs.
        const qreal radius = outlineWidth(size);
        for (int step = 0; step < outlineSteps; ++step) {
            const qreal angle = 2 * M_PI * step / outlineSteps;
            drawAt(radius * std::cos(angle), radius * std::sin(angle), QColor(0, 0, 0, 200));
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        drawAt(0, 0, QColor(255, 255, 255));
    }
    if (alpha >= 1.0)
        return image;
    // Dimmed as one drawing, so the outline does not show through the lighter glyphs.
    QImage dimmed(size, size, QImage::Format_ARGB32_Premultiplied);
    dimmed.fill(Qt::transparent);
    QPainter painter(&dimmed);
    painter.setOpacity(std::max(alpha, 0.0));
    painter.drawImage(0, 0, image);
    return dimmed;
}

QIcon StatusItemIconRenderer::icon(const QString &title, qreal alpha)
{
    QIcon icon;
    for (const int size : sizes)
        icon.addPixmap(QPixmap::fromImage(render(title, alpha, size)));
    return icon;
}

} // namespace pulsegrove
