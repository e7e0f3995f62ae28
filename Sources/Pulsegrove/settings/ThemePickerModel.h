#pragma once

#include "theme/QuotaThemeID.h"

#include <QColor>
#include <QString>

namespace pulsegrove {

// How one swatch of the theme picker looks: its own theme's colours, and the selected styling
// only when its theme is the store's.
struct ThemeOptionStyle {
    bool isSelected = false;
    QString name;
    QString toolTip;
    QString accessibleLabel;
    // The swatch: a diagonal gradient of its theme's accent and panel bottom.
    QColor swatchStart;
    QColor swatchEnd;
    QColor nameColor;
    QColor background;
    QColor outline;
    qreal outlineWidth = 1;
};

// Texts, measures and colours of the theme card of the settings window.
struct ThemePickerModel {
    static constexpr int spacing = 12;
    static constexpr int gridSpacing = 7;
    static constexpr int minimumColumnWidth = 10;
    static constexpr qreal swatchHeight = 27;
    static constexpr qreal swatchRadius = 8;
    static constexpr qreal optionRadius = 11;
    static constexpr qreal optionPadding = 6;
    static constexpr qreal optionSpacing = 6;
    static constexpr qreal checkmarkPoints = 10;
    static constexpr qreal checkmarkPadding = 4;
    static constexpr qreal nameMinimumScaleFactor = 0.8;

    static QString title() { return QStringLiteral("外观主题"); }
    static QString symbol() { return QStringLiteral("paintpalette.fill"); }
    static QString checkmarkSymbol() { return QStringLiteral("checkmark.circle.fill"); }

    // The header names, and the footer describes, the store's theme.
    static QString headerName(QuotaThemeID current) { return QuotaThemeIDs::palette(current).name; }
    static QString footerDetail(QuotaThemeID current) { return QuotaThemeIDs::palette(current).detail; }

    static ThemeOptionStyle option(QuotaThemeID theme, QuotaThemeID current);
};

} // namespace pulsegrove
