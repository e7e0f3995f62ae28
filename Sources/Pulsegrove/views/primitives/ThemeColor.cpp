#include "views/primitives/ThemeColor.h"

#include "theme/QuotaTheme.h"
#include "views/primitives/ViewColors.h"

namespace pulsegrove {

namespace {

QColor baseColor(ThemeColor::Role role, const QColor &fixedColor)
{
    switch (role) {
    case ThemeColor::Role::fixed:
        return fixedColor;
    case ThemeColor::Role::border:
        return QuotaTheme::border();
    case ThemeColor::Role::secondaryText:
        return QuotaTheme::secondaryText();
    default:
        break;
    }
    // Only the palette roles read the selected theme, which goes to the user defaults.
    const QuotaThemePalette &palette = QuotaThemeIDs::palette(QuotaTheme::selected());
    switch (role) {
    case ThemeColor::Role::accent:
        return palette.accent;
    case ThemeColor::Role::card:
        return palette.card;
    case ThemeColor::Role::panelTop:
        return palette.panelTop;
    default:
        return palette.panelBottom;
    }
}

} // namespace

QColor ThemeColor::resolve() const
{
    return ViewColors::withOpacity(baseColor(m_role, m_color), m_opacity);
}

} // namespace pulsegrove
