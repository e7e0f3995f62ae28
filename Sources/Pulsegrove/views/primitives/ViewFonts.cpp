#include "views/primitives/ViewFonts.h"

#include <QApplication>

namespace pulsegrove::ViewFonts {

namespace {

// Qt's point sizes assume 72 points to 96 logical pixels.
constexpr qreal pointsPerLogicalPixel = 72.0 / 96.0;

} // namespace

QFont systemFont(qreal points, QFont::Weight weight, FontDesign design)
{
    Q_UNUSED(design)
    QFont font = QApplication::font();
    font.setPointSizeF(points * pointsPerLogicalPixel);
    font.setWeight(weight);
    return font;
}

QFont tracked(QFont font, qreal tracking)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

} // namespace pulsegrove::ViewFonts
