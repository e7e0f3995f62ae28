#include "views/primitives/OverlayScrollIndicator.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/ViewColors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace pulsegrove {

namespace {

constexpr qreal minimumThumbHeight = 24;

} // namespace

OverlayScrollIndicator::OverlayScrollIndicator(QScrollBar *bar, QWidget *parent) : QWidget(parent), m_bar(bar)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::ArrowCursor);
    connect(m_bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    connect(m_bar, &QScrollBar::rangeChanged, this, qOverload<>(&QWidget::update));
}

QRectF OverlayScrollIndicator::thumbRect() const
{
    const qreal range = m_bar->maximum() - m_bar->minimum();
    if (range <= 0 || height() <= 0)
        return {};
    const qreal page = m_bar->pageStep();
    const qreal thumbHeight =
        std::clamp(height() * page / (range + page), minimumThumbHeight, qreal(height()));
    const qreal top = (height() - thumbHeight) * (m_bar->value() - m_bar->minimum()) / range;
    return {0, top, qreal(width()), thumbHeight};
}

void OverlayScrollIndicator::paintEvent(QPaintEvent *)
{
    const QRectF thumb = thumbRect();
    if (thumb.isEmpty())
        return;
    QPainter painter(this);
    RoundedShape::fillCapsule(painter, rect(), ViewColors::srgb(1, 1, 1, 0.05));
    RoundedShape::fillCapsule(painter, thumb, ViewColors::srgb(1, 1, 1, m_dragOffset ? 0.5 : 0.32));
}

void OverlayScrollIndicator::mousePressEvent(QMouseEvent *event)
{
    const QRectF thumb = thumbRect();
    if (thumb.isEmpty())
        return;
    const qreal y = event->position().y();
    // A press beside the thumb moves the thumb's middle there, then drags as usual.
    m_dragOffset = thumb.contains(event->position()) ? y - thumb.top() : thumb.height() / 2;
    mouseMoveEvent(event);
}

void OverlayScrollIndicator::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragOffset)
        return;
    const QRectF thumb = thumbRect();
    const qreal travel = height() - thumb.height();
    if (travel <= 0)
        return;
    const qreal fraction = std::clamp((event->position().y() - *m_dragOffset) / travel, 0.0, 1.0);
    m_bar->setValue(m_bar->minimum() + qRound(fraction * (m_bar->maximum() - m_bar->minimum())));
}

void OverlayScrollIndicator::mouseReleaseEvent(QMouseEvent *)
{
    m_dragOffset.reset();
    update();
}

} // namespace pulsegrove
