#include "views/primitives/ToggleSwitch.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/ViewColors.h"

#include <QPainter>

namespace pulsegrove {

namespace {

constexpr qreal knobInset = 1.5;

} // namespace

ToggleSwitch::ToggleSwitch(const QString &accessibleLabel, const ThemeColor &tint, QWidget *parent)
    : QAbstractButton(parent), m_tint(tint)
{
    setCheckable(true);
    setAccessibleName(accessibleLabel);
    // A click does not leave a focus ring behind; the keyboard still reaches the switch.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QColor ToggleSwitch::trackColor(bool on) const
{
    return on ? m_tint.resolve() : ViewColors::srgb(1, 1, 1, 0.16);
}

QSize ToggleSwitch::sizeHint() const
{
    return {trackWidth, trackHeight};
}

bool ToggleSwitch::hitButton(const QPoint &position) const
{
    return rect().contains(position);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const QRectF track(0, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    RoundedShape::fillCapsule(painter, track, trackColor(isChecked()));
    RoundedShape::strokeCapsule(painter, track, ViewColors::srgb(0, 0, 0, 0.18), 0.5);
    if (isDown())
        RoundedShape::fillCapsule(painter, track, ViewColors::srgb(0, 0, 0, 0.12));

    const qreal knobSide = trackHeight - 2 * knobInset;
    const qreal knobX = isChecked() ? track.right() - knobInset - knobSide : track.left() + knobInset;
    const QRectF knob(knobX, track.top() + knobInset, knobSide, knobSide);
    // A soft edge under the knob, as the platform's switch has.
    painter.setPen(Qt::NoPen);
    painter.setBrush(ViewColors::srgb(0, 0, 0, 0.22));
    painter.drawEllipse(knob.translated(0, 0.6).adjusted(-0.3, -0.3, 0.3, 0.3));
    painter.setBrush(ViewColors::srgb(1, 1, 1));
    painter.drawEllipse(knob);
    if (hasFocus())
        RoundedShape::strokeCapsule(painter, track.adjusted(-1, -1, 1, 1), ViewColors::srgb(1, 1, 1, 0.55),
                                    1.5);
}

} // namespace pulsegrove
