#include "views/primitives/StatusDot.h"

#include <QPainter>
#include <cmath>

namespace pulsegrove {

StatusDot::StatusDot(qreal side, const ThemeColor &color, QWidget *parent)
    : QWidget(parent), m_side(side), m_color(color)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusDot::setColor(const ThemeColor &color)
{
    m_color = color;
    update();
}

QSize StatusDot::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_side));
    return {side, side};
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color.resolve());
    const QPointF centre = QRectF(rect()).center();
    painter.drawEllipse(centre, m_side / 2, m_side / 2);
}

} // namespace pulsegrove
