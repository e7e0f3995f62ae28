#include "views/primitives/SymbolShapes.h"

#include <QPainterPathStroker>
#include <QTransform>
#include <QtMath>

namespace pulsegrove::SymbolShapes {

QPainterPath stroked(const QPainterPath &path, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

QPainterPath polyline(std::initializer_list<QPointF> points, qreal width)
{
    QPainterPath path;
    for (const QPointF &point : points) {
        if (path.elementCount() == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return stroked(path, width);
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath disc(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath ring(QPointF centre, qreal radius, qreal width)
{
    return stroked(disc(centre, radius), width);
}

QPainterPath roundedBox(const QRectF &box, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    return path;
}

QPainterPath outlinedBox(const QRectF &box, qreal radius, qreal width)
{
    return stroked(roundedBox(box, radius), width);
}

QPainterPath unite(std::initializer_list<QPainterPath> parts)
{
    QPainterPath united;
    for (const QPainterPath &part : parts)
        united = united.united(part);
    return united;
}

QPainterPath arc(QPointF centre, qreal radius, qreal startAngle, qreal sweep, qreal width)
{
    const QRectF bounds(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    QPainterPath path;
    path.arcMoveTo(bounds, startAngle);
    path.arcTo(bounds, startAngle, sweep);
    return stroked(path, width);
}

QPainterPath arcArrow(QPointF centre, qreal radius, qreal startAngle, qreal sweep, Turn turn, qreal width,
                      qreal headSize)
{
    // The direction of travel at the end: the arc's tangent, pointing the way it turns.
    const qreal end = qDegreesToRadians(startAngle + sweep);
    const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    const QPointF direction = turn == Turn::clockwise ? QPointF(std::sin(end), std::cos(end))
                                                      : QPointF(-std::sin(end), -std::cos(end));
    const QPointF normal(-direction.y(), direction.x());
    const QPointF base = tip - direction * headSize * 0.45;
    QPainterPath head =
        polygon({tip + direction * headSize * 0.85, base + normal * headSize, base - normal * headSize});
    // Rounded like the strokes, so the head does not look sharper than the line it ends.
    head = head.united(stroked(head, width * 0.45));
    return arc(centre, radius, startAngle, sweep, width).united(head);
}

QPainterPath sparkle(QPointF centre, qreal radius)
{
    const qreal bend = radius * 0.17;
    const qreal x = centre.x(), y = centre.y();
    QPainterPath path;
    path.moveTo(x, y - radius);
    path.quadTo(x + bend, y - bend, x + radius, y);
    path.quadTo(x + bend, y + bend, x, y + radius);
    path.quadTo(x - bend, y + bend, x - radius, y);
    path.quadTo(x - bend, y - bend, x, y - radius);
    path.closeSubpath();
    return path;
}

QPainterPath bolt(const QRectF &box, bool horizontal)
{
    // An upright bolt on a 10 x 16 design, mapped onto the box.
    QPainterPath shape = polygon({{6.6, 0}, {0, 9}, {4.4, 9}, {3.4, 16}, {10, 6.8}, {5.6, 6.8}});
    shape = shape.united(stroked(shape, 0.6));
    QTransform transform;
    if (horizontal) {
        transform.translate(box.left(), box.top());
        transform.scale(box.width() / 16, box.height() / 10);
        transform.translate(16, 0);
        transform.rotate(90);
    } else {
        transform.translate(box.left(), box.top());
        transform.scale(box.width() / 10, box.height() / 16);
    }
    return transform.map(shape);
}

} // namespace pulsegrove::SymbolShapes
