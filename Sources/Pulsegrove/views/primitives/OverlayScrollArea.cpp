#include "views/primitives/OverlayScrollArea.h"

#include "views/primitives/OverlayScrollIndicator.h"

#include <QScrollBar>

namespace pulsegrove {

OverlayScrollArea::OverlayScrollArea(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The area's own bar stays hidden but keeps the range and the value the indicator mirrors.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    m_indicator = new OverlayScrollIndicator(verticalScrollBar(), this);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &OverlayScrollArea::placeIndicator);
    placeIndicator();
}

void OverlayScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    placeIndicator();
}

void OverlayScrollArea::placeIndicator()
{
    const int inset = indicatorInset;
    m_indicator->setGeometry(width() - indicatorWidth - inset, inset, indicatorWidth, height() - 2 * inset);
    m_indicator->setVisible(verticalScrollBar()->maximum() > verticalScrollBar()->minimum());
    m_indicator->raise();
}

} // namespace pulsegrove
