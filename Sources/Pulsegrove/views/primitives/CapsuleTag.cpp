#include "views/primitives/CapsuleTag.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

CapsuleTag::CapsuleTag(const QString &text, const CapsuleTagStyle &style, QWidget *parent)
    : QWidget(parent), m_text(text), m_style(style)
{
    setFont(m_style.font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(m_text);
}

void CapsuleTag::setText(const QString &text)
{
    m_text = text;
    setAccessibleName(m_text);
    updateGeometry();
    update();
}

bool CapsuleTag::hasSymbol() const
{
    return m_style.trailingSymbol && !SymbolCatalog::icon(*m_style.trailingSymbol).isNull();
}

QSizeF CapsuleTag::idealSize() const
{
    const QFontMetricsF metrics(m_style.font);
    qreal width = metrics.horizontalAdvance(m_text);
    qreal height = metrics.height();
    if (hasSymbol()) {
        width += m_style.spacing + m_style.symbolPoints;
        height = std::max(height, m_style.symbolPoints);
    }
    return {width + 2 * m_style.horizontalPadding, height + 2 * m_style.verticalPadding};
}

QSize CapsuleTag::sizeHint() const
{
    const QSizeF ideal = idealSize();
    return {static_cast<int>(std::ceil(ideal.width())), static_cast<int>(std::ceil(ideal.height()))};
}

void CapsuleTag::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    RoundedShape::fillCapsule(painter, rect(), m_style.fill.resolve());
    const QColor foreground = m_style.foreground.resolve();
    const QSizeF ideal = idealSize();
    const qreal left = (width() - ideal.width()) / 2 + m_style.horizontalPadding;
    const qreal textWidth = QFontMetricsF(m_style.font).horizontalAdvance(m_text);
    painter.setPen(foreground);
    painter.setFont(m_style.font);
    painter.drawText(QRectF(left, 0, textWidth + 1, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
    if (hasSymbol()) {
        const qreal side = m_style.symbolPoints;
        const QRectF symbolRect(left + textWidth + m_style.spacing, (height() - side) / 2, side, side);
        SymbolCatalog::paint(painter, symbolRect, *m_style.trailingSymbol, foreground);
    }
}

} // namespace pulsegrove
