#pragma once

#include "views/primitives/ThemeColor.h"

#include <QAbstractButton>

namespace pulsegrove {

// An on/off switch of the small control size: a capsule track filled with its tint when on and
// a faint white when off, with a white knob that sits at the trailing end when on. Clicking, or
// Space while it has focus, flips it and emits toggled(). Its accessible name is the label it
// stands for, even when that label is not shown.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int trackWidth = 30;
    static constexpr int trackHeight = 17;

    explicit ToggleSwitch(const QString &accessibleLabel, const ThemeColor &tint = ThemeColor::accent(),
                          QWidget *parent = nullptr);

    const ThemeColor &tint() const { return m_tint; }
    // The track's colour for a state, resolved now.
    QColor trackColor(bool on) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &position) const override;

private:
    ThemeColor m_tint;
};

} // namespace pulsegrove
