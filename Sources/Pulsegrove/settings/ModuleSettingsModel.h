#pragma once

#include "preferences/QuotaModule.h"
#include "update/RemoteUpdateState.h"

#include <QList>
#include <QString>

class QWidget;

namespace pulsegrove {

// What one module row shows; these texts belong to the settings, not to the module.
struct ModuleRowContent {
    QString title;
    QString description;
    QString symbol;

    friend bool operator==(const ModuleRowContent &, const ModuleRowContent &) = default;
};

// Texts, measures and decisions of the settings view, as plain functions of the store's values.
struct ModuleSettingsModel {
    static constexpr int width = 440;
    static constexpr int height = 610;
    static constexpr int horizontalPadding = 22;
    static constexpr int headerVerticalPadding = 18;
    static constexpr int headerSpacing = 13;
    static constexpr int cardSpacing = 14;
    static constexpr int cardPadding = 15;
    static constexpr int footerVerticalPadding = 14;
    static constexpr int footerSpacing = 12;
    static constexpr int rowHorizontalPadding = 14;
    static constexpr int rowVerticalPadding = 11;
    static constexpr int rowSpacing = 12;
    static constexpr int rowDividerInset = 51;

    static QString headerSymbol() { return QStringLiteral("slider.horizontal.3"); }
    static QString headerTitle() { return QStringLiteral("界面与模块设置"); }
    static QString headerSubtitle() { return QStringLiteral("自定义菜单和信息面板中显示的内容"); }
    static QString updateSymbol() { return QStringLiteral("arrow.triangle.2.circlepath.circle.fill"); }
    static QString updateTitle() { return QStringLiteral("安全更新"); }
    static QString automaticCheckLabel() { return QStringLiteral("打开设置时自动检查更新"); }
    static QString dockSymbol() { return QStringLiteral("dock.rectangle"); }
    static QString dockTitle() { return QStringLiteral("在任务栏显示应用图标"); }
    static QString dockDetail()
    {
        return QStringLiteral("开启后可从任务栏找到应用；点击图标会重新打开本设置。");
    }
    static QString footerSymbol() { return QStringLiteral("menubar.rectangle"); }
    static QString footerNote() { return QStringLiteral("托盘额度百分比始终保留"); }
    static QString showAllTitle() { return QStringLiteral("全部显示"); }
    static QString doneTitle() { return QStringLiteral("完成"); }

    static ModuleRowContent row(QuotaModule module);
    // "<shown> / <all> 已显示".
    static QString counterText(const QuotaModuleSet &visibleModules);
    static bool isShowAllEnabled(const QuotaModuleSet &visibleModules);
    // Every row but the last has a divider under it.
    static bool hasDividerAfter(int index);

    // The update button waits while a check, a download or an installation runs.
    static bool isUpdateButtonEnabled(const RemoteUpdateState &state);
    // Showing the view checks at once only with automatic checks on and nothing checked yet.
    static bool checksWhenShown(bool automaticallyChecksForUpdates, const RemoteUpdateState &state);
    // Switching automatic checks on checks at once only while nothing was checked yet.
    static bool checksAfterAutomaticCheckChange(bool enabled, const RemoteUpdateState &state);

    // A settings window: the settings window controller's identifier, or a title containing "设置".
    static bool isSettingsWindow(const QString &identifier, const QString &title);
    // The first visible settings window of `windows`, in their order; null when none.
    static QWidget *firstSettingsWindow(const QList<QWidget *> &windows);
    // The application's top-level widgets in the order their windows were made.
    static QList<QWidget *> applicationWindows();
};

} // namespace pulsegrove
