#pragma once

#include <QColor>
#include <QString>

namespace pulsegrove {

// The fixed look of one colour theme: its name and one-line description for the theme picker,
// and the four colours the panel, cards and settings window draw with (sRGB, opaque).
struct QuotaThemePalette {
    QString name;
    QString detail;
    QColor accent;
    QColor panelTop;
    QColor panelBottom;
    QColor card;
};

} // namespace pulsegrove
