#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pulsegrove {

// How the status item presents the quota: a native menu (the default) or the popover panel.
enum class QuotaPanelStyle { system, dashboard };

struct QuotaPanelStyles {
    QuotaPanelStyles() = delete;

    static constexpr std::array<QuotaPanelStyle, 2> allCases = {QuotaPanelStyle::system,
                                                                QuotaPanelStyle::dashboard};

    static std::string_view rawValue(QuotaPanelStyle style);
    // Exactly "system" or "dashboard", else nothing.
    static std::optional<QuotaPanelStyle> fromRawValue(std::string_view rawValue);
    // Reads the stored preference: only an exact "dashboard" opts into the panel; anything else,
    // including nothing stored, keeps the native menu.
    static QuotaPanelStyle fromStoredValue(std::optional<std::string_view> storedValue);
    static std::string_view displayName(QuotaPanelStyle style);
};

} // namespace pulsegrove
