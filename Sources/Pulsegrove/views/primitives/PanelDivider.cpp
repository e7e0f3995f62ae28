#include "views/primitives/PanelDivider.h"

#include "theme/QuotaTheme.h"

#include <QPainter>

namespace pulsegrove {

PanelDivider::PanelDivider(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(thickness);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PanelDivider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QuotaTheme::border());
}

} // namespace pulsegrove
