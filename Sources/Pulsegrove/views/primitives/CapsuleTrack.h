#pragma once

#include "views/primitives/ThemeColor.h"

#include <QWidget>

namespace pulsegrove {

// A plain capsule across the full width offered, `height` high: the empty meter shown where a
// value is missing. It is decoration only and says nothing to assistive technology.
class CapsuleTrack : public QWidget {
    Q_OBJECT

public:
    CapsuleTrack(const ThemeColor &fill, qreal height, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ThemeColor m_fill;
    qreal m_height;
};

} // namespace pulsegrove
