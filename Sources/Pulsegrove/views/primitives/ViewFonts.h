#pragma once

#include <QFont>
#include <QStringList>

namespace pulsegrove {

// The interface's fonts. All text is Simplified Chinese beside Latin digits and names, so every
// view asks for the Simplified Chinese face of one family first, whatever the user's locale: the
// locale's own fallback would give Japanese glyph forms in a Japanese or English session, and a
// Latin face of another family would not match the Chinese beside it in weight.
//
// Sizes are given in the same points as every other length of the layout, and one point is one
// logical pixel: the size is converted with the screen's logical DPI, so text keeps its
// proportion to the fixed widths and paddings around it whatever font DPI the desktop sets, and
// both grow together with the device pixel ratio.
namespace ViewFonts {

// The families asked for, best first: the Simplified Chinese faces of Noto Sans CJK (Latin
// included), then its other packagings.
QStringList families();

QFont systemFont(qreal points, QFont::Weight weight = QFont::Normal);

// The same font with `tracking` points added after every character.
QFont tracked(QFont font, qreal tracking);

// The size, in points, of text that names no font of its own (menus, tool tips, dialogs).
inline constexpr qreal bodyPoints = 13;

// Makes the interface font at the body size the application's default font, so every widget,
// menu and tool tip that names no font of its own draws in the same faces as the views. Called
// once after the application object exists.
void applyApplicationFont();

} // namespace ViewFonts

} // namespace pulsegrove
