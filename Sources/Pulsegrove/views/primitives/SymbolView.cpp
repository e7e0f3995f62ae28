#include "views/primitives/SymbolView.h"

#include "views/primitives/SymbolCatalog.h"

#include <QPainter>
#include <cmath>

namespace pulsegrove {

SymbolView::SymbolView(const QString &symbolName, qreal points, const ThemeColor &tint, QWidget *parent)
    : QWidget(parent), m_symbolName(symbolName), m_points(points), m_tint(tint)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SymbolView::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_points));
    return {side, side};
}

void SymbolView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    SymbolCatalog::paint(painter, rect(), m_symbolName, m_tint.resolve());
}

} // namespace pulsegrove
