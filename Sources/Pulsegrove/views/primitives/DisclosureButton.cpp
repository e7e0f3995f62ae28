#include "views/primitives/DisclosureButton.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/ViewColors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace pulsegrove {

DisclosureButton::DisclosureButton(const QString &text, const QString &accessibleLabel, const QFont &font,
                                   const ThemeColor &color, QWidget *parent)
    : QAbstractButton(parent), m_color(color)
{
    setText(text);
    setFont(font);
    setCheckable(true);
    setAccessibleName(accessibleLabel);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString DisclosureButton::chevronSymbol(bool isOpen)
{
    return isOpen ? QStringLiteral("chevron.up") : QStringLiteral("chevron.down");
}

qreal DisclosureButton::chevronSide() const
{
    return std::ceil(QFontMetricsF(font()).height() * 0.8);
}

QSize DisclosureButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(text()) + spacing;
    return {static_cast<int>(std::ceil(textWidth + chevronSide())),
            static_cast<int>(std::ceil(metrics.height()))};
}

void DisclosureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.6);
    const QColor color = m_color.resolve();
    const QFontMetricsF metrics(font());
    qreal x = 0;
    if (!text().isEmpty()) {
        painter.setPen(color);
        painter.setFont(font());
        const QRectF textRect(0, 0, width() - chevronSide() - spacing, height());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(text(), Qt::ElideRight, textRect.width()));
        x = std::min(metrics.horizontalAdvance(text()), textRect.width()) + spacing;
    }
    const qreal side = chevronSide();
    SymbolCatalog::paint(painter, QRectF(x, (height() - side) / 2, side, side), chevronSymbol(isChecked()),
                         color);
    if (hasFocus())
        RoundedShape::stroke(painter, QRectF(rect()).adjusted(-0.5, -0.5, 0.5, 0.5), 4,
                             ViewColors::withOpacity(color, 0.55), 1);
}

} // namespace pulsegrove
