#include "views/primitives/BaselineRow.h"

#include <QBoxLayout>
#include <QFontMetricsF>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

void BaselineRow::addText(QWidget *widget, const QFont &font, int stretch)
{
    addWidget(widget, QFontMetricsF(font).descent(), stretch);
}

void BaselineRow::addWidget(QWidget *widget, qreal baselineFromBottom, int stretch)
{
    m_items.append({widget, baselineFromBottom});
    m_row->addWidget(widget, stretch, Qt::AlignBottom);
}

void BaselineRow::addStretch(int stretch)
{
    m_row->addStretch(stretch);
}

void BaselineRow::finish()
{
    qreal deepest = 0;
    for (const Item &item : m_items)
        deepest = std::max(deepest, item.baselineFromBottom);
    for (const Item &item : m_items) {
        const QMargins margins = item.widget->contentsMargins();
        const int lift = static_cast<int>(std::lround(deepest - item.baselineFromBottom));
        item.widget->setContentsMargins(margins.left(), margins.top(), margins.right(), lift);
    }
}

} // namespace pulsegrove
