#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace pulsegrove {

class CodexPlanTier;

// The colours, symbol and glow of a plan badge, per tier. The paid tiers have fixed colours;
// every other plan takes the shared secondary text colour, fading to 0.72 of it.
struct PlanBadgeStyle {
    QColor startColor;
    QColor endColor;
    std::optional<QString> symbolName;
    double glowOpacity = 0;

    static PlanBadgeStyle forTier(const CodexPlanTier &tier);

    friend bool operator==(const PlanBadgeStyle &, const PlanBadgeStyle &) = default;
};

} // namespace pulsegrove
