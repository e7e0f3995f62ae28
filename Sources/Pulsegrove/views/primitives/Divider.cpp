#include "views/primitives/Divider.h"

#include <QPainter>

namespace pulsegrove {

Divider::Divider(int leadingInset, const ThemeColor &color, QWidget *parent)
    : QWidget(parent), m_leadingInset(leadingInset), m_color(color)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(1);
}

void Divider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int start = layoutDirection() == Qt::RightToLeft ? 0 : m_leadingInset;
    // The whole height, so a divider given a fixed size one point wide stands as a vertical rule.
    painter.fillRect(QRect(start, 0, width() - m_leadingInset, height()), m_color.resolve());
}

} // namespace pulsegrove
