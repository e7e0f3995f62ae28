#include "preferences/QuotaPanelStyle.h"

namespace pulsegrove {

std::string_view QuotaPanelStyles::rawValue(QuotaPanelStyle style)
{
    return style == QuotaPanelStyle::dashboard ? "dashboard" : "system";
}

std::optional<QuotaPanelStyle> QuotaPanelStyles::fromRawValue(std::string_view rawValue)
{
    for (const QuotaPanelStyle style : allCases) {
        if (QuotaPanelStyles::rawValue(style) == rawValue)
            return style;
    }
    return std::nullopt;
}

QuotaPanelStyle QuotaPanelStyles::fromStoredValue(std::optional<std::string_view> storedValue)
{
    return storedValue == std::string_view("dashboard") ? QuotaPanelStyle::dashboard
                                                        : QuotaPanelStyle::system;
}

std::string_view QuotaPanelStyles::displayName(QuotaPanelStyle style)
{
    return style == QuotaPanelStyle::dashboard ? "信息面板" : "系统菜单";
}

} // namespace pulsegrove
