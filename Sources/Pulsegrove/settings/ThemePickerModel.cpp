#include "settings/ThemePickerModel.h"

#include "theme/QuotaTheme.h"
#include "views/primitives/ViewColors.h"

namespace pulsegrove {

ThemeOptionStyle ThemePickerModel::option(QuotaThemeID theme, QuotaThemeID current)
{
    using ViewColors::srgb;
    using ViewColors::withOpacity;
    const QuotaThemePalette &palette = QuotaThemeIDs::palette(theme);
    const bool selected = theme == current;
    ThemeOptionStyle style;
    style.isSelected = selected;
    style.name = palette.name;
    style.toolTip = palette.detail;
    style.accessibleLabel = palette.name + QStringLiteral("：") + palette.detail;
    style.swatchStart = palette.accent;
    style.swatchEnd = palette.panelBottom;
    style.nameColor = selected ? palette.accent : QuotaTheme::secondaryText();
    style.background = selected ? withOpacity(palette.accent, 0.09) : srgb(1, 1, 1, 0.025);
    style.outline = selected ? withOpacity(palette.accent, 0.72) : QuotaTheme::border();
    style.outlineWidth = selected ? 1.4 : 1;
    return style;
}

} // namespace pulsegrove
