#include "views/primitives/CardFrame.h"

#include <QLayout>
#include <QPainter>

namespace pulsegrove {

CardSurfaceStyle CardFrameStyle::resolved() const
{
    return {fill.resolve(), border.resolve(), borderWidth, cornerRadius};
}

CardFrame::CardFrame(int padding, const CardFrameStyle &style, QWidget *parent)
    : QWidget(parent), m_padding(padding), m_style(style)
{
    setContentsMargins(padding, padding, padding, padding);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    CardSurface::applyShadow(this, m_style.shadow, m_style.cornerRadius);
}

void CardFrame::setStyle(const CardFrameStyle &style)
{
    m_style = style;
    CardSurface::applyShadow(this, m_style.shadow, m_style.cornerRadius);
    update();
}

void CardFrame::setContentLayout(QLayout *layout)
{
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);
}

void CardFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    CardSurface::paint(painter, rect(), m_style.resolved());
}

} // namespace pulsegrove
