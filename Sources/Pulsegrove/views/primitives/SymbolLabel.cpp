#include "views/primitives/SymbolLabel.h"

#include "views/primitives/SymbolCatalog.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

SymbolLabel::FittedText SymbolLabel::fit(const QFont &font, const QString &text, qreal width,
                                         qreal minimumScaleFactor)
{
    const qreal fullWidth = QFontMetricsF(font).horizontalAdvance(text);
    if (fullWidth <= width)
        return {font, text};
    QFont scaled = font;
    const qreal factor = std::clamp(width / fullWidth, std::clamp(minimumScaleFactor, 0.1, 1.0), 1.0);
    scaled.setPointSizeF(font.pointSizeF() * factor);
    const QFontMetricsF metrics(scaled);
    if (metrics.horizontalAdvance(text) <= width)
        return {scaled, text};
    return {scaled, metrics.elidedText(text, Qt::ElideRight, std::max<qreal>(0.0, width))};
}

SymbolLabel::SymbolLabel(const QString &symbolName, const QString &text, const QFont &font,
                         const ThemeColor &color, QWidget *parent)
    : QWidget(parent), m_symbolName(symbolName), m_text(text), m_color(color)
{
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(m_text);
}

void SymbolLabel::setText(const QString &text)
{
    m_text = text;
    setAccessibleName(m_text);
    updateGeometry();
    update();
}

void SymbolLabel::setMinimumScaleFactor(qreal factor)
{
    m_minimumScaleFactor = std::clamp(factor, 0.1, 1.0);
    updateGeometry();
}

// The symbol is as tall as the font is large, as a symbol set in that font would be.
qreal SymbolLabel::symbolSide() const
{
    if (SymbolCatalog::icon(m_symbolName).isNull())
        return 0;
    return QFontInfo(font()).pixelSize();
}

QSize SymbolLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal side = symbolSide();
    const qreal width = (side > 0 ? side + spacing : 0) + metrics.horizontalAdvance(m_text);
    return {static_cast<int>(std::ceil(width)),
            static_cast<int>(std::ceil(std::max(metrics.height(), side)))};
}

QSize SymbolLabel::minimumSizeHint() const
{
    const qreal side = symbolSide();
    const QFontMetricsF metrics(font());
    const qreal ellipsis = metrics.horizontalAdvance(QStringLiteral("…"));
    return {static_cast<int>(std::ceil((side > 0 ? side + spacing : 0) + ellipsis)), sizeHint().height()};
}

void SymbolLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor color = m_color.resolve();
    const qreal side = symbolSide();
    qreal x = 0;
    if (side > 0) {
        SymbolCatalog::paint(painter, QRectF(0, (height() - side) / 2, side, side), m_symbolName, color);
        x = side + spacing;
    }
    const FittedText fitted = fit(font(), m_text, width() - x, m_minimumScaleFactor);
    painter.setPen(color);
    painter.setFont(fitted.font);
    painter.drawText(QRectF(x, 0, width() - x, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fitted.text);
}

} // namespace pulsegrove
