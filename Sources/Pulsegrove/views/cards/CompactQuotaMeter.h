#pragma once

#include "quota/RateLimitWindow.h"

#include <QWidget>
#include <optional>

namespace pulsegrove {

class MinuteTimeline;
class WrappingText;

// A small meter of one window inside the Spark card: the tag, the remaining share, a thin bar,
// the used share and (with a window) the reset time, kept current by a minute timeline. It
// stretches over the width it is offered, so two meters share a row equally.
class CompactQuotaMeter : public QWidget {
    Q_OBJECT

public:
    CompactQuotaMeter(const QString &label, const std::optional<RateLimitWindow> &window,
                      QWidget *parent = nullptr);

    // The reset text, or null without a window.
    WrappingText *resetText() const { return m_resetText; }
    void showTime(Date now);

private:
    std::optional<RateLimitWindow> m_window;
    WrappingText *m_resetText = nullptr;
    MinuteTimeline *m_timeline = nullptr;
};

} // namespace pulsegrove
