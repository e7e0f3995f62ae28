#pragma once

#include "views/primitives/ThemeColor.h"

#include <QWidget>

namespace pulsegrove {

// A small filled circle that marks a state (live or cached data, sampling or not) in a colour
// resolved at every repaint.
class StatusDot : public QWidget {
    Q_OBJECT

public:
    StatusDot(qreal side, const ThemeColor &color, QWidget *parent = nullptr);

    const ThemeColor &color() const { return m_color; }
    void setColor(const ThemeColor &color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_side;
    ThemeColor m_color;
};

} // namespace pulsegrove
