#include "views/primitives/ViewColors.h"

#include <algorithm>
#include <cmath>

namespace pulsegrove::ViewColors {

QColor srgb(double red, double green, double blue, double opacity)
{
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                            static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
}

QColor withOpacity(const QColor &color, double opacity)
{
    QColor result = color;
    result.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
    return result;
}

double relativeLuminance(const QColor &color)
{
    const auto linear = [](float component) {
        const double value = component;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor &first, const QColor &second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor textOnFill(const QColor &fill)
{
    const QColor dark = srgb(0.04, 0.05, 0.07);
    const QColor light = srgb(1, 1, 1);
    return contrastRatio(dark, fill) > contrastRatio(light, fill) ? dark : light;
}

QLinearGradient diagonalGradient(const QRectF &rect, const QColor &start, const QColor &end)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0.0, start);
    gradient.setColorAt(1.0, end);
    return gradient;
}

} // namespace pulsegrove::ViewColors
