#pragma once

#include "theme/QuotaThemePalette.h"

#include <array>
#include <optional>
#include <string_view>

namespace pulsegrove {

// The five colour themes, in the order of the theme picker.
enum class QuotaThemeID { aurora, violet, emerald, sunset, graphite };

struct QuotaThemeIDs {
    QuotaThemeIDs() = delete;

    static constexpr std::array<QuotaThemeID, 5> allCases = {QuotaThemeID::aurora, QuotaThemeID::violet,
                                                             QuotaThemeID::emerald, QuotaThemeID::sunset,
                                                             QuotaThemeID::graphite};

    // The stored form, equal to the case name.
    static std::string_view rawValue(QuotaThemeID theme);
    // Exactly one of the five raw values (case-sensitive), else nothing.
    static std::optional<QuotaThemeID> fromRawValue(std::string_view rawValue);
    // The identifier lists and pickers use: the raw value.
    static std::string_view id(QuotaThemeID theme) { return rawValue(theme); }
    static const QuotaThemePalette &palette(QuotaThemeID theme);
};

} // namespace pulsegrove
