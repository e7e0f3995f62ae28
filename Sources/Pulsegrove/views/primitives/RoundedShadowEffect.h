#pragma once

#include "views/primitives/CardSurface.h"

#include <QGraphicsEffect>
#include <QImage>

namespace pulsegrove {

// The shadow of a rounded rectangle as big as its widget, drawn under the widget. A general drop
// shadow blurs the widget's whole drawing at every paint; a card's shadow depends only on its
// shape, so this one blurs the rounded rectangle once per size and look and keeps the result for
// every card of that size, which makes a repaint after new data cheap.
class RoundedShadowEffect : public QGraphicsEffect {
    Q_OBJECT

public:
    RoundedShadowEffect(const ViewShadow &shadow, qreal cornerRadius, QObject *parent = nullptr);

    const ViewShadow &shadow() const { return m_shadow; }
    void setShadow(const ViewShadow &shadow, qreal cornerRadius);

    QRectF boundingRectFor(const QRectF &rect) const override;

    // The blurred shape for a widget of `size` at `ratio` device pixels per point: premultiplied,
    // in the shadow's colour, as large as the size plus the blur on every side. Shared by all
    // effects through the pixmap cache.
    static QImage shadowImage(const QSizeF &size, qreal cornerRadius, const ViewShadow &shadow, qreal ratio);

protected:
    void draw(QPainter *painter) override;

private:
    ViewShadow m_shadow;
    qreal m_cornerRadius;
};

} // namespace pulsegrove
