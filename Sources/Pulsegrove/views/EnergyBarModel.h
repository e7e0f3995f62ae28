#pragma once

#include <QColor>
#include <QString>
#include <QtGlobal>

namespace pulsegrove {

// What an energy bar draws and speaks for a percentage: the fill is clamped to the track, the
// spoken value is not (a window used beyond its limit still says how far).
struct EnergyBarModel {
    static constexpr qreal trackOpacity = 0.16;

    static QString accessibilityLabel();
    // The percentage as a decimal integer followed by "%", unclamped (140 → "140%", -20 → "-20%").
    static QString accessibilityValue(qint64 percent);

    static qint64 clampedPercent(qint64 percent);
    // Width of the fill on a bar `barWidth` wide: barWidth × clamp(percent, 0, 100) / 100.
    static qreal fillWidth(qint64 percent, qreal barWidth);
    // The tint at 0.16 of its own opacity; the fill keeps the tint unchanged.
    static QColor trackColor(const QColor &tint);
};

} // namespace pulsegrove
