#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <initializer_list>

namespace pulsegrove {

// The building blocks of the symbol pictures: filled outlines on the symbols' grid. A stroke is
// returned as the area it covers (round caps and joins), so blocks combine with united() and
// subtracted() and the whole picture is filled once.
namespace SymbolShapes {

// The line width of outlines and strokes, in grid units: heavy enough to stay legible when a
// symbol is drawn at 8 points.
inline constexpr qreal lineWidth = 1.45;

enum class Turn { clockwise, counterclockwise };

QPainterPath stroked(const QPainterPath &path, qreal width = lineWidth);
QPainterPath polyline(std::initializer_list<QPointF> points, qreal width = lineWidth);
QPainterPath polygon(std::initializer_list<QPointF> points);
QPainterPath disc(QPointF centre, qreal radius);
QPainterPath ring(QPointF centre, qreal radius, qreal width = lineWidth);
QPainterPath roundedBox(const QRectF &box, qreal radius);
QPainterPath outlinedBox(const QRectF &box, qreal radius, qreal width = lineWidth);
QPainterPath unite(std::initializer_list<QPainterPath> parts);

// An open circular arc, stroked. Angles are in degrees, counterclockwise from three o'clock; the
// arc runs `sweep` degrees from `startAngle`.
QPainterPath arc(QPointF centre, qreal radius, qreal startAngle, qreal sweep, qreal width = lineWidth);
// An open circular arc with an arrowhead at its end, turning the given way. Angles are in
// degrees, counterclockwise from three o'clock; the arc runs `sweep` degrees from `startAngle`.
QPainterPath arcArrow(QPointF centre, qreal radius, qreal startAngle, qreal sweep, Turn turn,
                      qreal width = lineWidth, qreal headSize = 2.4);
// A four-pointed star with concave sides.
QPainterPath sparkle(QPointF centre, qreal radius);
// A lightning bolt standing upright in `box`, or lying on its side.
QPainterPath bolt(const QRectF &box, bool horizontal = false);

} // namespace SymbolShapes

} // namespace pulsegrove
