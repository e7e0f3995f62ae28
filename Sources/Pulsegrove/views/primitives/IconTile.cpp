#include "views/primitives/IconTile.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"

#include <QPainter>
#include <cmath>

namespace pulsegrove {

IconTile::IconTile(const QString &symbolName, const IconTileStyle &style, QWidget *parent)
    : QWidget(parent), m_symbolName(symbolName), m_style(style)
{
    const int side = static_cast<int>(std::ceil(m_style.side));
    setFixedSize(side, side);
}

QSize IconTile::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_style.side));
    return {side, side};
}

void IconTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF tile(0, 0, m_style.side, m_style.side);
    RoundedShape::fill(painter, tile, m_style.cornerRadius, m_style.fill.resolve());
    if (m_style.stroke)
        RoundedShape::stroke(painter, tile, m_style.cornerRadius, m_style.stroke->resolve(),
                             m_style.strokeWidth);
    const QSizeF symbolSize(m_style.symbolPoints, m_style.symbolPoints);
    const QRectF symbolRect(tile.center() - QPointF(symbolSize.width() / 2, symbolSize.height() / 2),
                            symbolSize);
    SymbolCatalog::paint(painter, symbolRect, m_symbolName, m_style.symbolTint.resolve());
}

} // namespace pulsegrove
