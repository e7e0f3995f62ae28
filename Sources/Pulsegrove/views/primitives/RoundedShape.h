#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace pulsegrove {

// The rounded rectangles every card, tag, tile and bar is made of. The platform's continuous
// corners are drawn as circular ones; a capsule is a rounded rectangle whose radius is half its
// shorter side.
class RoundedShape {
public:
    static qreal capsuleRadius(const QRectF &rect);
    // A radius larger than half the shorter side is reduced to it, so the shape stays a capsule.
    static QPainterPath path(const QRectF &rect, qreal radius);
    static QPainterPath capsulePath(const QRectF &rect) { return path(rect, capsuleRadius(rect)); }

    static void fill(QPainter &painter, const QRectF &rect, qreal radius, const QBrush &brush);
    // Strokes the outline with butt caps and miter joins. The line is inset by half its width so
    // that a shape filling its widget is not clipped at the widget's edge.
    static void stroke(QPainter &painter, const QRectF &rect, qreal radius, const QBrush &brush, qreal width);

    static void fillCapsule(QPainter &painter, const QRectF &rect, const QBrush &brush)
    {
        fill(painter, rect, capsuleRadius(rect), brush);
    }
    static void strokeCapsule(QPainter &painter, const QRectF &rect, const QBrush &brush, qreal width);
};

} // namespace pulsegrove
