#pragma once

#include "preferences/CodexPlanTier.h"
#include "views/PlanBadgeStyle.h"

#include <QWidget>

namespace pulsegrove {

// The plan capsule of the panel header: the tier's name (with a symbol for the top tier) in a
// diagonal gradient on a faint gradient capsule with a gradient outline and, for the Pro tiers,
// a glow. It keeps its ideal size and never truncates: in a taller row (beside the header's icon
// tile) it stays a slim capsule centred in the row.
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
    // The capsule at its ideal height, centred in whatever height the badge was given.
    QRectF capsuleRect() const;
    void paintContent(QPainter &painter, const QRectF &capsule, const PlanBadgeStyle &style);

    CodexPlanTier m_tier;
};

} // namespace pulsegrove
