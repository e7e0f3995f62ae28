#include "views/primitives/DarkPalette.h"

#include "views/primitives/ViewColors.h"

#include <QWidget>

namespace pulsegrove {

namespace {

void setBothGroups(QPalette &palette, QPalette::ColorRole role, const QColor &color)
{
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
}

} // namespace

QPalette DarkPalette::palette()
{
    using ViewColors::srgb;
    QPalette palette;
    const QColor primaryText = srgb(1, 1, 1, 0.92);
    const QColor surface = srgb(0.09, 0.11, 0.145);
    setBothGroups(palette, QPalette::Window, srgb(0.05, 0.065, 0.09));
    setBothGroups(palette, QPalette::WindowText, primaryText);
    setBothGroups(palette, QPalette::Base, surface);
    setBothGroups(palette, QPalette::AlternateBase, srgb(0.11, 0.135, 0.17));
    setBothGroups(palette, QPalette::Text, primaryText);
    setBothGroups(palette, QPalette::Button, srgb(0.15, 0.17, 0.21));
    setBothGroups(palette, QPalette::ButtonText, primaryText);
    setBothGroups(palette, QPalette::BrightText, srgb(1, 1, 1));
    setBothGroups(palette, QPalette::ToolTipBase, surface);
    setBothGroups(palette, QPalette::ToolTipText, primaryText);
    setBothGroups(palette, QPalette::PlaceholderText, srgb(1, 1, 1, 0.4));
    setBothGroups(palette, QPalette::Highlight, srgb(0.2, 0.5, 0.9));
    setBothGroups(palette, QPalette::HighlightedText, srgb(1, 1, 1));
    setBothGroups(palette, QPalette::Link, srgb(0.4, 0.7, 1.0));
    setBothGroups(palette, QPalette::Light, srgb(1, 1, 1, 0.16));
    setBothGroups(palette, QPalette::Midlight, srgb(1, 1, 1, 0.1));
    setBothGroups(palette, QPalette::Mid, srgb(0, 0, 0, 0.3));
    setBothGroups(palette, QPalette::Dark, srgb(0, 0, 0, 0.5));
    setBothGroups(palette, QPalette::Shadow, srgb(0, 0, 0, 0.7));
    const QColor disabledText = srgb(1, 1, 1, 0.35);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    return palette;
}

void DarkPalette::apply(QWidget *window)
{
    window->setPalette(palette());
}

} // namespace pulsegrove
