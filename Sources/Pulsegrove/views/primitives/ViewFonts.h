#pragma once

#include <QFont>

namespace pulsegrove {

enum class FontDesign { standard, rounded };

// The interface's fonts: the application font at a size, weight and design. Sizes are given in
// the same points as every other length of the layout, and one point is one logical pixel, so
// text keeps its proportion to the fixed widths and paddings around it whatever the screen's
// DPI setting says about typographic points. No rounded face ships with the desktop, so the
// rounded design falls back to the application font.
namespace ViewFonts {

QFont systemFont(qreal points, QFont::Weight weight = QFont::Normal,
                 FontDesign design = FontDesign::standard);

// The same font with `tracking` points added after every character.
QFont tracked(QFont font, qreal tracking);

} // namespace ViewFonts

} // namespace pulsegrove
