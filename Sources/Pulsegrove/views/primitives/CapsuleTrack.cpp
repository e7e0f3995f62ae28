#include "views/primitives/CapsuleTrack.h"

#include "views/primitives/RoundedShape.h"

#include <QPainter>
#include <cmath>

namespace pulsegrove {

CapsuleTrack::CapsuleTrack(const ThemeColor &fill, qreal height, QWidget *parent)
    : QWidget(parent), m_fill(fill), m_height(std::max<qreal>(0.0, height))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QString());
}

QSize CapsuleTrack::sizeHint() const
{
    return {static_cast<int>(std::ceil(m_height)) * 4, static_cast<int>(std::ceil(m_height))};
}

QSize CapsuleTrack::minimumSizeHint() const
{
    return {0, static_cast<int>(std::ceil(m_height))};
}

void CapsuleTrack::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    RoundedShape::fillCapsule(painter, QRectF(0, (height() - m_height) / 2, width(), m_height),
                              m_fill.resolve());
}

} // namespace pulsegrove
