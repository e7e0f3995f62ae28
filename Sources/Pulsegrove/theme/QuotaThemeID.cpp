#include "theme/QuotaThemeID.h"

namespace pulsegrove {

namespace {

using RGB = std::array<float, 3>;

// One row per theme, in the order of allCases: name, description, then accent, panel top, panel
// bottom and card as sRGB components.
struct PaletteRow {
    const char *name;
    const char *detail;
    std::array<RGB, 4> colours;
};

constexpr std::array<PaletteRow, 5> paletteRows = {{
    {"极光青",
     "Pulse Grove 默认科技感",
     {{{0.2f, 0.78f, 0.96f}, {0.055f, 0.075f, 0.105f}, {0.035f, 0.05f, 0.075f}, {0.09f, 0.115f, 0.15f}}}},
    {"星云紫",
     "沉稳、尊贵的深紫高光",
     {{{0.64f, 0.48f, 0.98f}, {0.075f, 0.055f, 0.115f}, {0.04f, 0.035f, 0.07f}, {0.115f, 0.09f, 0.155f}}}},
    {"翡翠绿",
     "清爽、低刺激的绿色状态",
     {{{0.2f, 0.82f, 0.6f}, {0.045f, 0.085f, 0.075f}, {0.03f, 0.055f, 0.052f}, {0.075f, 0.125f, 0.11f}}}},
    {"日落橙",
     "温暖醒目的橙色能量",
     {{{0.98f, 0.53f, 0.24f}, {0.105f, 0.065f, 0.05f}, {0.06f, 0.04f, 0.04f}, {0.145f, 0.1f, 0.085f}}}},
    {"石墨银",
     "克制、中性的银灰界面",
     {{{0.67f, 0.73f, 0.82f}, {0.07f, 0.075f, 0.085f}, {0.04f, 0.045f, 0.052f}, {0.105f, 0.115f, 0.13f}}}},
}};

QColor color(const RGB &components)
{
    return QColor::fromRgbF(components[0], components[1], components[2]);
}

QuotaThemePalette makePalette(const PaletteRow &row)
{
    return {QString::fromUtf8(row.name), QString::fromUtf8(row.detail), color(row.colours[0]),
            color(row.colours[1]),       color(row.colours[2]),         color(row.colours[3])};
}

} // namespace

std::string_view QuotaThemeIDs::rawValue(QuotaThemeID theme)
{
    switch (theme) {
    case QuotaThemeID::aurora:
        return "aurora";
    case QuotaThemeID::violet:
        return "violet";
    case QuotaThemeID::emerald:
        return "emerald";
    case QuotaThemeID::sunset:
        return "sunset";
    case QuotaThemeID::graphite:
        break;
    }
    return "graphite";
}

std::optional<QuotaThemeID> QuotaThemeIDs::fromRawValue(std::string_view rawValue)
{
    for (const QuotaThemeID theme : allCases) {
        if (QuotaThemeIDs::rawValue(theme) == rawValue)
            return theme;
    }
    return std::nullopt;
}

const QuotaThemePalette &QuotaThemeIDs::palette(QuotaThemeID theme)
{
    // Views read a palette at every redraw; build each once.
    static const std::array<QuotaThemePalette, allCases.size()> palettes = [] {
        std::array<QuotaThemePalette, allCases.size()> result;
        for (std::size_t index = 0; index < allCases.size(); ++index)
            result[index] = makePalette(paletteRows[index]);
        return result;
    }();
    return palettes[static_cast<std::size_t>(theme)];
}

} // namespace pulsegrove
