#pragma once

#include "views/primitives/ThemeColor.h"

#include <QWidget>

namespace pulsegrove {

// A one-point horizontal rule in the shared border colour, optionally inset from the leading
// edge (as under the rows of a list whose icons it should not cross). Given a fixed size one
// point wide it is a vertical rule.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(int leadingInset = 0, const ThemeColor &color = ThemeColor::border(),
                     QWidget *parent = nullptr);

    int leadingInset() const { return m_leadingInset; }

    QSize sizeHint() const override { return {m_leadingInset + 1, 1}; }
    QSize minimumSizeHint() const override { return {m_leadingInset, 1}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_leadingInset;
    ThemeColor m_color;
};

} // namespace pulsegrove
