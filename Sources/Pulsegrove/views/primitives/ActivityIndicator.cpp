#include "views/primitives/ActivityIndicator.h"

#include "views/primitives/ViewColors.h"

#include <QPainter>
#include <algorithm>

namespace pulsegrove {

namespace {

constexpr int stepInterval = 90; // ms; one turn in under a second, like the platform's spinner

} // namespace

ActivityIndicator::ActivityIndicator(const ThemeColor &tint, QWidget *parent) : QWidget(parent), m_tint(tint)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(stepInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokeCount;
        update();
    });
}

QSize ActivityIndicator::sizeHint() const
{
    return {smallSide, smallSide};
}

void ActivityIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const QColor tint = m_tint.resolve();
    painter.translate(rect().center() + QPointF(0.5, 0.5));
    const qreal outer = side / 2;
    const qreal inner = outer * 0.45;
    for (int spoke = 0; spoke < spokeCount; ++spoke) {
        // The spoke at the head of the turn is solid; the ones behind it fade out.
        const int age = (m_step - spoke + spokeCount) % spokeCount;
        const qreal opacity = 1.0 - 0.8 * age / (spokeCount - 1);
        painter.setPen(QPen(ViewColors::withOpacity(tint, opacity), side / 8, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + side / 16));
        painter.rotate(360.0 / spokeCount);
    }
}

void ActivityIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void ActivityIndicator::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace pulsegrove
