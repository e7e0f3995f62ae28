#include "views/primitives/RoundedShape.h"

#include <QPainter>
#include <algorithm>

namespace pulsegrove {

qreal RoundedShape::capsuleRadius(const QRectF &rect)
{
    return std::max(0.0, std::min(rect.width(), rect.height()) / 2);
}

QPainterPath RoundedShape::path(const QRectF &rect, qreal radius)
{
    QPainterPath shape;
    const qreal clamped = std::clamp(radius, 0.0, capsuleRadius(rect));
    shape.addRoundedRect(rect, clamped, clamped);
    return shape;
}

void RoundedShape::fill(QPainter &painter, const QRectF &rect, qreal radius, const QBrush &brush)
{
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path(rect, radius), brush);
    painter.restore();
}

void RoundedShape::stroke(QPainter &painter, const QRectF &rect, qreal radius, const QBrush &brush,
                          qreal width)
{
    if (rect.isEmpty() || width <= 0)
        return;
    const qreal inset = width / 2;
    const QRectF lineRect = rect.adjusted(inset, inset, -inset, -inset);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path(lineRect, std::max(0.0, radius - inset)));
    painter.restore();
}

void RoundedShape::strokeCapsule(QPainter &painter, const QRectF &rect, const QBrush &brush, qreal width)
{
    stroke(painter, rect, capsuleRadius(rect), brush, width);
}

} // namespace pulsegrove
