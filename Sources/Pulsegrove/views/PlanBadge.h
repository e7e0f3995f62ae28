#pragma once

#include "preferences/CodexPlanTier.h"
#include "views/PlanBadgeStyle.h"

#include <QWidget>

namespace pulsegrove {

// The plan capsule of the panel header: the tier's name (with a symbol for the top tier) in a
// diagonal gradient on a faint gradient capsule with a gradient outline and, for the Pro tiers,
// a glow. It keeps its ideal width and never truncates; its height follows its container.
class PlanBadge : public QWidget {
    Q_OBJECT

public:
    explicit PlanBadge(const CodexPlanTier &tier, QWidget *parent = nullptr);

    const CodexPlanTier &tier() const { return m_tier; }
    PlanBadgeStyle style() const { return PlanBadgeStyle::forTier(m_tier); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintContent(QPainter &painter, const PlanBadgeStyle &style);

    CodexPlanTier m_tier;
};

} // namespace pulsegrove
