#include "views/primitives/CardSurface.h"

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

} // namespace pulsegrove
