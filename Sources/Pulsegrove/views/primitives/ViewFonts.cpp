#include "views/primitives/ViewFonts.h"

#include <QApplication>
#include <QScreen>

namespace pulsegrove::ViewFonts {

namespace {

// Qt turns a point size into pixels with the screen's logical DPI, rounded as Qt rounds it;
// dividing by the same figure makes one design point one logical pixel.
qreal logicalDotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 0;
    return dpi > 0 ? dpi : 96;
}

} // namespace

QStringList families()
{
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
            QStringLiteral("Source Han Sans SC"), QStringLiteral("Source Han Sans CN")};
}

QFont systemFont(qreal points, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points * 72.0 / logicalDotsPerInch());
    font.setWeight(weight);
    return font;
}

QFont tracked(QFont font, qreal tracking)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

void applyApplicationFont()
{
    QApplication::setFont(systemFont(bodyPoints));
}

} // namespace pulsegrove::ViewFonts
