#include "views/primitives/RoundedShadowEffect.h"

#include "views/primitives/RoundedShape.h"

#include <QPainter>
#include <QPixmapCache>
#include <algorithm>
#include <cmath>
#include <vector>

namespace pulsegrove {

namespace {

// One pass of a running-sum box blur over `count` values `stride` apart.
void boxBlurLine(uchar *line, int count, int stride, int radius, std::vector<int> &scratch)
{
    if (radius <= 0 || count <= 0)
        return;
    scratch.assign(static_cast<std::size_t>(count), 0);
    for (int index = 0; index < count; ++index)
        scratch[static_cast<std::size_t>(index)] = line[index * stride];
    const int window = 2 * radius + 1;
    int sum = 0;
    for (int index = -radius; index <= radius; ++index)
        sum += scratch[static_cast<std::size_t>(std::clamp(index, 0, count - 1))];
    for (int index = 0; index < count; ++index) {
        line[index * stride] = static_cast<uchar>(sum / window);
        const int leaving = std::clamp(index - radius, 0, count - 1);
        const int entering = std::clamp(index + radius + 1, 0, count - 1);
        sum += scratch[static_cast<std::size_t>(entering)] - scratch[static_cast<std::size_t>(leaving)];
    }
}

// Three box blurs in each direction come close to a Gaussian blur of the same extent.
void blurAlpha(QImage &alpha, int radius)
{
    const int boxRadius = std::max(1, radius / 3);
    std::vector<int> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < alpha.height(); ++y)
            boxBlurLine(alpha.scanLine(y), alpha.width(), 1, boxRadius, scratch);
        for (int x = 0; x < alpha.width(); ++x)
            boxBlurLine(alpha.bits() + x, alpha.height(), static_cast<int>(alpha.bytesPerLine()), boxRadius,
                        scratch);
    }
}

} // namespace

RoundedShadowEffect::RoundedShadowEffect(const ViewShadow &shadow, qreal cornerRadius, QObject *parent)
    : QGraphicsEffect(parent), m_shadow(shadow), m_cornerRadius(cornerRadius)
{
}

void RoundedShadowEffect::setShadow(const ViewShadow &shadow, qreal cornerRadius)
{
    m_shadow = shadow;
    m_cornerRadius = cornerRadius;
    updateBoundingRect();
    update();
}

QRectF RoundedShadowEffect::boundingRectFor(const QRectF &rect) const
{
    const qreal blur = m_shadow.radius;
    return rect.united(rect.translated(m_shadow.offset).adjusted(-blur, -blur, blur, blur));
}

QImage RoundedShadowEffect::shadowImage(const QSizeF &size, qreal cornerRadius, const ViewShadow &shadow,
                                        qreal ratio)
{
    const QString key = QStringLiteral("pg-shadow-%1x%2-%3-%4-%5-%6")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(cornerRadius)
                            .arg(shadow.radius)
                            .arg(shadow.color.rgba(), 0, 16)
                            .arg(ratio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached.toImage();

    const int margin = static_cast<int>(std::ceil(shadow.radius * ratio));
    const QSize pixels(static_cast<int>(std::ceil(size.width() * ratio)) + 2 * margin,
                       static_cast<int>(std::ceil(size.height() * ratio)) + 2 * margin);
    QImage alpha(pixels, QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter shape(&alpha);
        RoundedShape::fill(shape, QRectF(margin, margin, size.width() * ratio, size.height() * ratio),
                           cornerRadius * ratio, Qt::black);
    }
    blurAlpha(alpha, margin);
    QImage tinted(pixels, QImage::Format_ARGB32_Premultiplied);
    tinted.fill(shadow.color);
    {
        QPainter mask(&tinted);
        mask.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        mask.drawImage(0, 0, alpha);
    }
    tinted.setDevicePixelRatio(ratio);
    QPixmapCache::insert(key, QPixmap::fromImage(tinted));
    return tinted;
}

void RoundedShadowEffect::draw(QPainter *painter)
{
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    if (m_shadow.color.alpha() > 0 && !bounds.isEmpty()) {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QImage image = shadowImage(bounds.size(), m_cornerRadius, m_shadow, ratio);
        const qreal margin = std::ceil(m_shadow.radius * ratio) / ratio;
        painter->drawImage(bounds.topLeft() + m_shadow.offset - QPointF(margin, margin), image);
    }
    drawSource(painter);
}

} // namespace pulsegrove
