#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QRectF>

namespace pulsegrove::ViewColors {

// A colour given as sRGB components on a 0 to 1 scale, the way every colour of the interface is
// written down.
QColor srgb(double red, double green, double blue, double opacity = 1.0);

// The colour at `opacity` times its own alpha, so a translucent colour stays proportionally
// translucent (a tint at alpha 0.5 taken at opacity 0.16 ends at 0.08).
QColor withOpacity(const QColor &color, double opacity);

// The relative luminance of the colour's sRGB components, 0 for black to 1 for white (alpha is
// ignored), and the contrast ratio of two such colours, from 1:1 to 21:1, as accessibility
// guidelines measure legibility.
double relativeLuminance(const QColor &color);
double contrastRatio(const QColor &first, const QColor &second);

// The text colour for a label on an opaque `fill`: a near-black ink or white, whichever stands out
// more, so a light accent gets dark text and a deep one white.
QColor textOnFill(const QColor &fill);

// A linear gradient from the top-leading to the bottom-trailing corner of `rect`.
QLinearGradient diagonalGradient(const QRectF &rect, const QColor &start, const QColor &end);

} // namespace pulsegrove::ViewColors
