#pragma once

#include <QList>
#include <QString>

namespace pulsegrove {

// Texts, states and actions of the panel's footer and of its "更多" menu.
struct QuotaPanelFooterModel {
    static constexpr int rowSpacing = 9;
    static constexpr int buttonSpacing = 8;
    static constexpr int horizontalPadding = 16;
    static constexpr int verticalPadding = 12;

    static QString dashboardTitle() { return QStringLiteral("用量统计"); }
    static QString dashboardSymbol() { return QStringLiteral("chart.xyaxis.line"); }
    static QString settingsTitle() { return QStringLiteral("设置"); }
    static QString settingsSymbol() { return QStringLiteral("slider.horizontal.3"); }
    static QString refreshSymbol() { return QStringLiteral("arrow.clockwise"); }
    static QString moreTitle() { return QStringLiteral("更多"); }
    static QString moreSymbol() { return QStringLiteral("ellipsis"); }

    // "刷新中" while a refresh runs, when the button cannot be pressed.
    static QString refreshTitle(bool isRefreshing);
    static bool isRefreshEnabled(bool isRefreshing) { return !isRefreshing; }

    enum class MenuAction { switchToSystemMenu, toggleLaunchAtLogin, openLoginItemsSettings, quit };

    struct MenuEntry {
        enum class Kind { button, toggle, divider };
        Kind kind = Kind::button;
        QString title;
        MenuAction action = MenuAction::quit;
        bool isEnabled = true;
        bool isChecked = false;

        friend bool operator==(const MenuEntry &, const MenuEntry &) = default;
    };

    struct MenuState {
        bool launchAtLogin = false;
        bool canManageLaunchAtLogin = false;
        bool launchAtLoginNeedsApproval = false;
    };

    // The switch to the native menu, the login toggle (disabled when the login item cannot be
    // managed), the login-items button only while approval is pending, a divider and quit.
    static QList<MenuEntry> moreMenuEntries(const MenuState &state);
};

} // namespace pulsegrove
