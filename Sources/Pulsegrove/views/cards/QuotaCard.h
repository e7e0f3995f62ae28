#pragma once

#include "quota/RateLimitWindow.h"
#include "views/primitives/CardFrame.h"

#include <optional>

class QLabel;

namespace pulsegrove {

class MinuteTimeline;
class SymbolLabel;

// The card of one window of the standard quota: the remaining share in large figures, an energy
// bar, the used share and the reset time, which a minute timeline keeps current. Without a
// window it says that Codex did not report it.
class QuotaCard : public CardFrame {
    Q_OBJECT

public:
    QuotaCard(const QString &title, const QString &shortLabel, const std::optional<RateLimitWindow> &window,
              QWidget *parent = nullptr);

    // The reset line, or null without a window.
    SymbolLabel *resetLabel() const { return m_resetLabel; }
    MinuteTimeline *timeline() const { return m_timeline; }
    // Recomputes the clock-dependent texts for `now`; the timeline calls it every minute.
    void showTime(Date now);

private:
    QWidget *makeHeader(const QString &title, const QString &shortLabel);
    QWidget *makeFooter(const RateLimitWindow &window);

    std::optional<RateLimitWindow> m_window;
    SymbolLabel *m_resetLabel = nullptr;
    MinuteTimeline *m_timeline = nullptr;
};

} // namespace pulsegrove
