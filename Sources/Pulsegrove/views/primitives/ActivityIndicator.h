#pragma once

#include "views/primitives/ThemeColor.h"

#include <QTimer>
#include <QWidget>

namespace pulsegrove {

// The small indeterminate progress indicator: a ring of spokes that turns while it is shown.
// The timer runs only while the widget is visible, so a hidden indicator costs nothing.
class ActivityIndicator : public QWidget {
    Q_OBJECT

public:
    static constexpr int smallSide = 16;
    static constexpr int spokeCount = 8;

    explicit ActivityIndicator(const ThemeColor &tint = ThemeColor::accent(), QWidget *parent = nullptr);

    bool isAnimating() const { return m_timer.isActive(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    ThemeColor m_tint;
    QTimer m_timer;
    int m_step = 0;
};

} // namespace pulsegrove
