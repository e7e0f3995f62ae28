#include "views/PlanBadge.h"

#include "views/PlanBadgeModel.h"
#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/ViewColors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

PlanBadge::PlanBadge(const CodexPlanTier &tier, QWidget *parent) : QWidget(parent), m_tier(tier)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(PlanBadgeModel::textFont());
    setAccessibleName(PlanBadgeModel::accessibilityLabel(m_tier));
    CardSurface::applyShadow(this, PlanBadgeModel::glow(m_tier));
}

QSize PlanBadge::sizeHint() const
{
    const QSizeF ideal = PlanBadgeModel::idealSize(m_tier);
    return {static_cast<int>(std::ceil(ideal.width())), static_cast<int>(std::ceil(ideal.height()))};
}

QSize PlanBadge::minimumSizeHint() const
{
    return sizeHint();
}

QRectF PlanBadge::capsuleRect() const
{
    const qreal capsuleHeight = std::min<qreal>(height(), PlanBadgeModel::idealSize(m_tier).height());
    return {0, (height() - capsuleHeight) / 2, static_cast<qreal>(width()), capsuleHeight};
}

void PlanBadge::paintEvent(QPaintEvent *)
{
    const PlanBadgeStyle badgeStyle = style();
    const QRectF capsule = capsuleRect();
    QPainter painter(this);
    RoundedShape::fillCapsule(
        painter, capsule,
        ViewColors::diagonalGradient(
            capsule, ViewColors::withOpacity(badgeStyle.startColor, PlanBadgeModel::backgroundStartOpacity),
            ViewColors::withOpacity(badgeStyle.endColor, PlanBadgeModel::backgroundEndOpacity)));
    RoundedShape::strokeCapsule(
        painter, capsule,
        ViewColors::diagonalGradient(
            capsule, ViewColors::withOpacity(badgeStyle.startColor, PlanBadgeModel::outlineStartOpacity),
            ViewColors::withOpacity(badgeStyle.endColor, PlanBadgeModel::outlineEndOpacity)),
        PlanBadgeModel::outlineWidth(m_tier));
    paintContent(painter, capsule, badgeStyle);
}

// Symbol and name share one gradient that runs across the whole content, as one foreground.
void PlanBadge::paintContent(QPainter &painter, const QRectF &capsule, const PlanBadgeStyle &badgeStyle)
{
    const QSizeF ideal = PlanBadgeModel::idealSize(m_tier);
    const QSizeF contentSize(ideal.width() - 2 * PlanBadgeModel::horizontalPadding,
                             ideal.height() - 2 * PlanBadgeModel::verticalPadding);
    const QRectF content(capsule.center() - QPointF(contentSize.width() / 2, contentSize.height() / 2),
                         contentSize);
    const QBrush foreground(
        ViewColors::diagonalGradient(content, badgeStyle.startColor, badgeStyle.endColor));

    qreal x = content.left();
    if (badgeStyle.symbolName && !SymbolCatalog::icon(*badgeStyle.symbolName).isNull()) {
        const qreal side = PlanBadgeModel::symbolPoints;
        SymbolCatalog::paint(painter, QRectF(x, content.center().y() - side / 2, side, side),
                             *badgeStyle.symbolName, foreground);
        x += side + PlanBadgeModel::spacing;
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(QPen(foreground, 1));
    painter.drawText(QRectF(x, content.top(), content.right() - x + 1, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     PlanBadgeModel::displayText(m_tier));
}

} // namespace pulsegrove
