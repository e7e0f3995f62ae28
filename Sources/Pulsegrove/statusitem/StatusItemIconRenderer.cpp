#include "statusitem/StatusItemIconRenderer.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

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

FittedPath fit(const QString &text, int size)
{
    FittedPath fitted;
    fitted.path.addText(0, 0, titleFont(), text);
    const QRectF bounds = fitted.path.boundingRect();
    if (bounds.isEmpty())
        return fitted;
    const qreal widthScale = (size - 2 * (outlineWidth(size) + 0.75 + size / 64.0)) / bounds.width();
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
    const FittedPath fitted = fit(fittedText(title, size), size);
    const QRectF bounds = fitted.path.boundingRect();
    if (bounds.isEmpty())
        return image;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(size / 2.0, size / 2.0);
        painter.scale(fitted.scaleX, fitted.scaleY);
        painter.translate(-bounds.center());
        // The outline is drawn at twice its visible width; the fill then covers its inner half.
        const qreal penWidth = outlineWidth(size) * 2.0 / fitted.scaleY;
        painter.strokePath(fitted.path,
                           QPen(QColor(0, 0, 0, 200), penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.fillPath(fitted.path, QColor(255, 255, 255));
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
