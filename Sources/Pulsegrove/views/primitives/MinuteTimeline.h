#pragma once

#include "foundation/Clock.h"
#include "foundation/Date.h"

#include <QObject>
#include <QTimer>

namespace pulsegrove {

// The clock of a view's time-dependent texts (countdowns, expiries): it ticks every 60 s from the
// moment the view is built, and each tick carries the date the texts are computed from, so no
// text reads a clock of its own.
class MinuteTimeline : public QObject {
    Q_OBJECT

public:
    static constexpr int intervalMilliseconds = 60 * 1000;

    explicit MinuteTimeline(QObject *parent = nullptr, Clock clock = systemClock());

    // The date of the latest tick; the build time before the first one.
    Date now() const { return m_now; }
    bool isRunning() const { return m_timer.isActive(); }

Q_SIGNALS:
    void tick(pulsegrove::Date now);

private:
    Clock m_clock;
    Date m_now;
    QTimer m_timer;
};

} // namespace pulsegrove
