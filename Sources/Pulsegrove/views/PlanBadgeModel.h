#pragma once

#include "views/primitives/CardSurface.h"

#include <QFont>
#include <QSizeF>
#include <QString>
#include <optional>

namespace pulsegrove {

class CodexPlanTier;

// Texts, measures and effects of the plan badge, computed from the tier alone.
struct PlanBadgeModel {
    static constexpr qreal horizontalPadding = 8;
    static constexpr qreal verticalPadding = 4;
    static constexpr qreal spacing = 4;
    static constexpr qreal symbolPoints = 8;
    static constexpr qreal textPoints = 9;
    static constexpr qreal tracking = 0.65;
    static constexpr qreal glowRadius = 7;
    static constexpr qreal backgroundStartOpacity = 0.18;
    static constexpr qreal backgroundEndOpacity = 0.07;
    static constexpr qreal outlineStartOpacity = 0.62;
    static constexpr qreal outlineEndOpacity = 0.2;

    // The tier's display name verbatim; the visible text has no "套餐 " prefix.
    static QString displayText(const CodexPlanTier &tier);
    // "套餐 " followed by the display name.
    static QString accessibilityLabel(const CodexPlanTier &tier);
    // 0.8 for the twenty-times Pro tier, 0.55 for every other.
    static qreal outlineWidth(const CodexPlanTier &tier);
    // A glow of the start colour at the style's opacity, or nothing where that opacity is 0.
    static std::optional<ViewShadow> glow(const CodexPlanTier &tier);

    static QFont textFont();
    // The size at which the text is never truncated: symbol, spacing and text, plus padding.
    static QSizeF idealSize(const CodexPlanTier &tier);
};

} // namespace pulsegrove
