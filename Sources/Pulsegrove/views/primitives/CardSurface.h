#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <optional>

class QPainter;
class QWidget;

namespace pulsegrove {

// A shadow under a whole view: its colour (opacity included), blur radius and offset.
struct ViewShadow {
    QColor color;
    qreal radius = 0;
    QPointF offset;

    friend bool operator==(const ViewShadow &, const ViewShadow &) = default;
};

// The resolved look of one card surface.
struct CardSurfaceStyle {
    static constexpr qreal defaultCornerRadius = 18;

    QColor fill;
    QColor border;
    qreal borderWidth = 1;
    qreal cornerRadius = defaultCornerRadius;
};

// The rounded card every panel and settings card sits on: a filled rounded rectangle with a
// one-point outline. The shadow is not painted here: it falls outside the card's own rectangle,
// so it is attached to the card's widget as an effect (applyShadow) that may draw beyond it.
class CardSurface {
public:
    static void paint(QPainter &painter, const QRectF &rect, const CardSurfaceStyle &style);

    // Gives `widget` a drop shadow, replaces the one it has, or removes it (nothing, or a shadow
    // with no opacity). The shadow follows the widget's whole drawing, as a view's shadow does.
    static void applyShadow(QWidget *widget, const std::optional<ViewShadow> &shadow);
    // The same for a widget that is a rounded rectangle of `cornerRadius` (a card): its shadow is
    // drawn from that shape, blurred once per size and kept, rather than from its drawing.
    static void applyShadow(QWidget *widget, const std::optional<ViewShadow> &shadow, qreal cornerRadius);
};

} // namespace pulsegrove
