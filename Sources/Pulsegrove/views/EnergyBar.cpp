#include "views/EnergyBar.h"

#include "views/EnergyBarModel.h"
#include "views/primitives/RoundedShape.h"

#include <QPainter>
#include <cmath>

namespace pulsegrove {

namespace {

// Only a stand-alone bar uses this; in a layout the bar takes the width it is offered.
constexpr int nominalWidth = 120;

} // namespace

EnergyBar::EnergyBar(qint64 percent, const QColor &tint, qreal height, QWidget *parent)
    : QWidget(parent), m_percent(percent), m_tint(tint), m_height(std::max<qreal>(0.0, height))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(EnergyBarModel::accessibilityLabel());
    setAccessibleDescription(EnergyBarModel::accessibilityValue(m_percent));
}

QSize EnergyBar::sizeHint() const
{
    return {nominalWidth, static_cast<int>(std::ceil(m_height))};
}

QSize EnergyBar::minimumSizeHint() const
{
    return {0, static_cast<int>(std::ceil(m_height))};
}

void EnergyBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF track(0, (height() - m_height) / 2, width(), m_height);
    RoundedShape::fillCapsule(painter, track, EnergyBarModel::trackColor(m_tint));
    const qreal fillWidth = EnergyBarModel::fillWidth(m_percent, track.width());
    if (fillWidth > 0)
        RoundedShape::fillCapsule(painter, QRectF(track.topLeft(), QSizeF(fillWidth, m_height)), m_tint);
}

} // namespace pulsegrove
