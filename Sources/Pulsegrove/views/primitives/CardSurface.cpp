#include "views/primitives/CardSurface.h"

#include "views/primitives/RoundedShadowEffect.h"
#include "views/primitives/RoundedShape.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QWidget>

namespace pulsegrove {

void CardSurface::paint(QPainter &painter, const QRectF &rect, const CardSurfaceStyle &style)
{
    RoundedShape::fill(painter, rect, style.cornerRadius, style.fill);
    RoundedShape::stroke(painter, rect, style.cornerRadius, style.border, style.borderWidth);
}

void CardSurface::applyShadow(QWidget *widget, const std::optional<ViewShadow> &shadow)
{
    if (!shadow || shadow->color.alpha() == 0) {
        if (qobject_cast<QGraphicsDropShadowEffect *>(widget->graphicsEffect()))
            widget->setGraphicsEffect(nullptr);
        return;
    }
    auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsDropShadowEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setColor(shadow->color);
    effect->setBlurRadius(shadow->radius);
    effect->setOffset(shadow->offset);
}

void CardSurface::applyShadow(QWidget *widget, const std::optional<ViewShadow> &shadow, qreal cornerRadius)
{
    if (!shadow || shadow->color.alpha() == 0) {
        if (qobject_cast<RoundedShadowEffect *>(widget->graphicsEffect()))
            widget->setGraphicsEffect(nullptr);
        return;
    }
    if (auto *effect = qobject_cast<RoundedShadowEffect *>(widget->graphicsEffect())) {
        effect->setShadow(*shadow, cornerRadius);
        return;
    }
    widget->setGraphicsEffect(new RoundedShadowEffect(*shadow, cornerRadius, widget));
}

} // namespace pulsegrove
