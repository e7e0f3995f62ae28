#pragma once

#include "quota/RateLimitResetCreditsSummary.h"
#include "views/primitives/CardFrame.h"

#include <optional>

class QMenu;

namespace pulsegrove {

class MinuteTimeline;

// The number of available reset credits, with a menu that lists each available credit and its
// expiry, or explains why no list can be shown. Every row is disabled: the menu only informs.
// The list is ordered and worded against the latest minute tick.
class ResetCreditsMenuCard : public CardFrame {
    Q_OBJECT

public:
    explicit ResetCreditsMenuCard(const std::optional<RateLimitResetCreditsSummary> &summary,
                                  QWidget *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    MinuteTimeline *timeline() const { return m_timeline; }
    // Rebuilds the rows for `now`; the menu does this against the timeline's date as it opens.
    void rebuildMenu(Date now);

private:
    std::optional<RateLimitResetCreditsSummary> m_summary;
    QMenu *m_menu;
    MinuteTimeline *m_timeline;
};

} // namespace pulsegrove
