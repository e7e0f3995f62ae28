#include "views/primitives/ViewColors.h"

#include <algorithm>

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

QLinearGradient diagonalGradient(const QRectF &rect, const QColor &start, const QColor &end)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0.0, start);
    gradient.setColorAt(1.0, end);
    return gradient;
}

} // namespace pulsegrove::ViewColors
