#pragma once

#include <QColor>
#include <QWidget>

namespace pulsegrove {

// A horizontal capsule meter: a faint track in the tint with a filled part from the leading edge.
// It takes the width its layout offers and exactly `height` in height, and speaks as one element,
// "剩余额度" with the unclamped percentage as its value.
class EnergyBar : public QWidget {
    Q_OBJECT

public:
    EnergyBar(qint64 percent, const QColor &tint, qreal height, QWidget *parent = nullptr);

    qint64 percent() const { return m_percent; }
    QColor tint() const { return m_tint; }
    qreal barHeight() const { return m_height; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qint64 m_percent;
    QColor m_tint;
    qreal m_height;
};

} // namespace pulsegrove
