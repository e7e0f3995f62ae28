#include "views/primitives/MinuteTimeline.h"

namespace pulsegrove {

MinuteTimeline::MinuteTimeline(QObject *parent, Clock clock)
    : QObject(parent), m_clock(std::move(clock)), m_timer(this)
{
    m_now = m_clock();
    m_timer.setInterval(intervalMilliseconds);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_now = m_clock();
        Q_EMIT tick(m_now);
    });
    m_timer.start();
}

} // namespace pulsegrove
