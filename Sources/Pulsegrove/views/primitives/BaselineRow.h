#pragma once

#include <QFont>
#include <QList>

class QBoxLayout;
class QWidget;

namespace pulsegrove {

// Lines up texts of different sizes in one row on their baselines, as a row aligned on the first
// text baseline does: each item sits at the bottom of the row, raised by how much further the
// row's deepest descent reaches below the baseline than its own.
class BaselineRow {
public:
    explicit BaselineRow(QBoxLayout *row) : m_row(row) {}

    // A text widget in `font` whose text baseline lies its font's descent above its bottom.
    void addText(QWidget *widget, const QFont &font, int stretch = 0);
    // Any other widget, whose baseline lies `baselineFromBottom` above its bottom.
    void addWidget(QWidget *widget, qreal baselineFromBottom, int stretch = 0);
    void addStretch(int stretch = 1);
    // Sets every item's lift; call once all items are added.
    void finish();

private:
    struct Item {
        QWidget *widget;
        qreal baselineFromBottom;
    };
    QBoxLayout *m_row;
    QList<Item> m_items;
};

} // namespace pulsegrove
