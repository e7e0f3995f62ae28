#pragma once

#include <QColor>

namespace pulsegrove {

// A colour named by its role in the theme rather than by value, so a painted view resolves it
// against the selected theme each time it draws: a theme change shows at the next repaint
// without rebuilding the view. Fixed colours resolve to themselves.
class ThemeColor {
public:
    enum class Role { fixed, accent, card, panelTop, panelBottom, border, secondaryText };

    static ThemeColor fixed(const QColor &color, qreal opacity = 1.0)
    {
        return {Role::fixed, color, opacity};
    }
    static ThemeColor accent(qreal opacity = 1.0) { return {Role::accent, {}, opacity}; }
    static ThemeColor card(qreal opacity = 1.0) { return {Role::card, {}, opacity}; }
    static ThemeColor panelTop(qreal opacity = 1.0) { return {Role::panelTop, {}, opacity}; }
    static ThemeColor panelBottom(qreal opacity = 1.0) { return {Role::panelBottom, {}, opacity}; }
    static ThemeColor border(qreal opacity = 1.0) { return {Role::border, {}, opacity}; }
    static ThemeColor secondaryText(qreal opacity = 1.0) { return {Role::secondaryText, {}, opacity}; }

    Role role() const { return m_role; }
    qreal opacity() const { return m_opacity; }

    // The colour now: the role's colour in the selected theme (or the fixed colour) at this
    // opacity times its own.
    QColor resolve() const;

    friend bool operator==(const ThemeColor &, const ThemeColor &) = default;

private:
    ThemeColor(Role role, const QColor &color, qreal opacity)
        : m_role(role), m_color(color), m_opacity(opacity)
    {
    }

    Role m_role;
    QColor m_color;
    qreal m_opacity;
};

} // namespace pulsegrove
