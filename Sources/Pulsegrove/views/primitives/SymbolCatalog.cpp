#include "views/primitives/SymbolCatalog.h"

#include "views/primitives/SymbolDrawings.h"
#include "views/primitives/SymbolIconEngine.h"
#include "views/primitives/SymbolShapes.h"

#include <QPainter>
#include <QPen>
#include <QTransform>
#include <algorithm>

namespace pulsegrove {

namespace {

// The thinnest line, in device pixels, that still reads as a solid line.
constexpr qreal minimumLinePixels = 1.5;

} // namespace

QStringList SymbolCatalog::symbolNames()
{
    return SymbolDrawings::symbolNames();
}

QIcon SymbolCatalog::icon(const QString &symbolName, const QColor &colour)
{
    if (!SymbolDrawings::outline(symbolName))
        return {};
    return QIcon(new SymbolIconEngine(symbolName, colour));
}

bool SymbolCatalog::paint(QPainter &painter, const QRectF &rect, const QString &symbolName,
                          const QBrush &brush)
{
    const std::optional<QPainterPath> outline = SymbolDrawings::outline(symbolName);
    const qreal side = std::min(rect.width(), rect.height());
    if (!outline || side <= 0)
        return false;
    const QPointF corner = rect.center() - QPointF(side / 2, side / 2);
    const qreal scale = side / SymbolDrawings::gridSide;
    // The outline is mapped, not the painter, so a gradient brush keeps the painter's coordinates.
    const QPainterPath placed =
        QTransform::fromTranslate(corner.x(), corner.y()).scale(scale, scale).map(*outline);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(placed, brush);
    // At small sizes a line of the picture would be thinner than a device pixel and wash out;
    // widening the outline's edge keeps every line at least `minimumLinePixels` wide.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal lineLogical = SymbolShapes::lineWidth * scale;
    const qreal missing = minimumLinePixels / ratio - lineLogical;
    if (missing > 0) {
        painter.setPen(QPen(brush, missing, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(placed);
    }
    painter.restore();
    return true;
}

} // namespace pulsegrove
