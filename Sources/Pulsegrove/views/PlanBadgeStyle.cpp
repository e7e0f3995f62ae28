#include "views/PlanBadgeStyle.h"

#include "preferences/CodexPlanTier.h"
#include "theme/QuotaTheme.h"
#include "views/primitives/ViewColors.h"

namespace pulsegrove {

PlanBadgeStyle PlanBadgeStyle::forTier(const CodexPlanTier &tier)
{
    using ViewColors::srgb;
    switch (tier.kind()) {
    case CodexPlanTier::Kind::plus:
        return {srgb(0.24, 0.82, 0.98), srgb(0.20, 0.64, 0.98), std::nullopt, 0};
    case CodexPlanTier::Kind::proFiveX:
        return {srgb(0.72, 0.59, 1.0), srgb(0.55, 0.38, 0.94), std::nullopt, 0.1};
    case CodexPlanTier::Kind::proTwentyX:
        return {srgb(1.0, 0.82, 0.39), srgb(0.93, 0.61, 0.18), QStringLiteral("sparkles"), 0.3};
    case CodexPlanTier::Kind::other:
        break;
    }
    const QColor secondary = QuotaTheme::secondaryText();
    return {secondary, ViewColors::withOpacity(secondary, 0.72), std::nullopt, 0};
}

} // namespace pulsegrove
