#include "views/primitives/ThemedButton.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace pulsegrove {

ThemedButton::ThemedButton(const QString &text, const QString &symbolName, Kind kind, ControlSize size,
                           QWidget *parent)
    : QPushButton(text, parent), m_symbolName(symbolName), m_kind(kind), m_size(size)
{
    setFont(ViewFonts::systemFont(size == ControlSize::large ? 13 : 12, QFont::Medium));
    // A click does not leave a focus ring behind; the keyboard still reaches the button.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
}

ThemedButton::Metrics ThemedButton::metrics() const
{
    if (m_kind == Kind::plain) {
        const int textHeight = static_cast<int>(std::ceil(QFontMetricsF(font()).height()));
        return {textHeight, 0, QFontInfo(font()).pixelSize(), 5, 0};
    }
    if (m_size == ControlSize::large)
        return {30, 14, 14, 6, 8};
    return {24, 10, 12, 5, 6};
}

QColor ThemedButton::faceColor() const
{
    if (m_kind == Kind::prominent)
        return ThemeColor::accent().resolve();
    if (m_kind == Kind::plain)
        return Qt::transparent;
    return ViewColors::srgb(1, 1, 1, 0.1);
}

QColor ThemedButton::labelColor(const QColor &face) const
{
    if (m_kind == Kind::plain)
        return ThemeColor::secondaryText().resolve();
    return m_kind == Kind::prominent ? ViewColors::textOnFill(face) : palette().color(QPalette::ButtonText);
}

QSize ThemedButton::sizeHint() const
{
    const Metrics m = metrics();
    const QFontMetricsF fontMetrics(font());
    qreal width = fontMetrics.horizontalAdvance(text()) + 2 * m.horizontalPadding;
    if (!SymbolCatalog::icon(m_symbolName).isNull())
        width += m.symbolSide + m.spacing;
    return {static_cast<int>(std::ceil(width)), m.height};
}

QSize ThemedButton::minimumSizeHint() const
{
    return sizeHint();
}

void ThemedButton::paintEvent(QPaintEvent *)
{
    const Metrics m = metrics();
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.45);
    QColor face = faceColor();
    if (isDown() && m_kind == Kind::plain)
        painter.setOpacity(0.6);
    else if (isDown())
        face = m_kind == Kind::prominent ? face.darker(125) : ViewColors::srgb(1, 1, 1, 0.16);
    const QRectF faceRect(0, (height() - m.height) / 2.0, width(), m.height);
    RoundedShape::fill(painter, faceRect, m.cornerRadius, face);
    if (hasFocus())
        RoundedShape::stroke(painter, faceRect, m.cornerRadius, ViewColors::srgb(1, 1, 1, 0.55), 1.5);

    // Symbol and text are centred together on the face.
    const QFontMetricsF fontMetrics(font());
    const bool hasSymbol = !SymbolCatalog::icon(m_symbolName).isNull();
    const qreal textWidth = fontMetrics.horizontalAdvance(text());
    const qreal contentWidth = textWidth + (hasSymbol ? m.symbolSide + m.spacing : 0);
    qreal x = (width() - contentWidth) / 2;
    const QColor label = labelColor(face);
    if (hasSymbol) {
        const QRectF symbolRect(x, faceRect.center().y() - m.symbolSide / 2.0, m.symbolSide, m.symbolSide);
        SymbolCatalog::paint(painter, symbolRect, m_symbolName, label);
        x += m.symbolSide + m.spacing;
    }
    painter.setPen(label);
    painter.setFont(font());
    painter.drawText(QRectF(x, faceRect.top(), textWidth + 1, faceRect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace pulsegrove
