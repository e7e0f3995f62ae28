#include "views/panel/QuotaPanelFooterModel.h"

namespace pulsegrove {

QString QuotaPanelFooterModel::refreshTitle(bool isRefreshing)
{
    return isRefreshing ? QStringLiteral("刷新中") : QStringLiteral("刷新额度");
}

QList<QuotaPanelFooterModel::MenuEntry> QuotaPanelFooterModel::moreMenuEntries(const MenuState &state)
{
    using Kind = MenuEntry::Kind;
    QList<MenuEntry> entries{
        {Kind::button, QStringLiteral("切换到系统菜单"), MenuAction::switchToSystemMenu},
        {Kind::toggle, QStringLiteral("开机自动启动"), MenuAction::toggleLaunchAtLogin,
         state.canManageLaunchAtLogin, state.launchAtLogin},
    };
    if (state.launchAtLoginNeedsApproval)
        entries.append({Kind::button, QStringLiteral("打开自启动设置"), MenuAction::openLoginItemsSettings});
    entries.append({Kind::divider, {}, MenuAction::quit});
    entries.append({Kind::button, QStringLiteral("退出 Pulse Grove"), MenuAction::quit});
    return entries;
}

} // namespace pulsegrove
