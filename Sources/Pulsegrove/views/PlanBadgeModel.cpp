#include "views/PlanBadgeModel.h"

#include "preferences/CodexPlanTier.h"
#include "views/PlanBadgeStyle.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"

#include <QFontMetricsF>
#include <algorithm>

namespace pulsegrove {

QString PlanBadgeModel::displayText(const CodexPlanTier &tier)
{
    return QString::fromStdString(tier.displayName());
}

QString PlanBadgeModel::accessibilityLabel(const CodexPlanTier &tier)
{
    return QStringLiteral("套餐 ") + displayText(tier);
}

qreal PlanBadgeModel::outlineWidth(const CodexPlanTier &tier)
{
    return tier.kind() == CodexPlanTier::Kind::proTwentyX ? 0.8 : 0.55;
}

std::optional<ViewShadow> PlanBadgeModel::glow(const CodexPlanTier &tier)
{
    const PlanBadgeStyle style = PlanBadgeStyle::forTier(tier);
    if (style.glowOpacity <= 0)
        return std::nullopt;
    return ViewShadow{ViewColors::withOpacity(style.startColor, style.glowOpacity), glowRadius,
                      QPointF(0, 2)};
}

QFont PlanBadgeModel::textFont()
{
    return ViewFonts::tracked(ViewFonts::systemFont(textPoints, QFont::Bold), tracking);
}

QSizeF PlanBadgeModel::idealSize(const CodexPlanTier &tier)
{
    const QFontMetricsF metrics(textFont());
    qreal width = metrics.horizontalAdvance(displayText(tier));
    qreal height = metrics.height();
    const std::optional<QString> symbol = PlanBadgeStyle::forTier(tier).symbolName;
    if (symbol && !SymbolCatalog::icon(*symbol).isNull()) {
        width += symbolPoints + spacing;
        height = std::max(height, symbolPoints);
    }
    return {width + 2 * horizontalPadding, height + 2 * verticalPadding};
}

} // namespace pulsegrove
