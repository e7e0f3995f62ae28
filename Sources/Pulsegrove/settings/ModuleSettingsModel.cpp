#include "settings/ModuleSettingsModel.h"

#include "settings/ModuleSettingsView.h"
#include "settings/ModuleSettingsWindowController.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace pulsegrove {

ModuleRowContent ModuleSettingsModel::row(QuotaModule module)
{
    switch (module) {
    case QuotaModule::standardQuota:
        return {QStringLiteral("Codex 常规额度"), QStringLiteral("按服务实际返回的额度窗口显示"),
                QStringLiteral("bolt.circle")};
    case QuotaModule::sparkQuota:
        return {QStringLiteral("Spark 独立额度"), QStringLiteral("GPT-5.3-Codex-Spark 独立额度"),
                QStringLiteral("sparkles")};
    case QuotaModule::resetCredits:
        return {QStringLiteral("额度重置次数"), QStringLiteral("可用总数与全部到期明细"),
                QStringLiteral("arrow.counterclockwise.circle")};
    case QuotaModule::systemMetrics:
        return {QStringLiteral("本机状态"), QStringLiteral("仅在查看面板时采集温度、CPU 与内存"),
                QStringLiteral("laptopcomputer")};
    case QuotaModule::modelInsights:
        return {QStringLiteral("模型消耗参考"), QStringLiteral("官方费率、加速比例与推理强度说明"),
                QStringLiteral("chart.bar.xaxis")};
    case QuotaModule::resetHints:
        break;
    }
    return {QStringLiteral("重置临近提示"), QStringLiteral("账户重置时间与已确认的官方临时重置消息"),
            QStringLiteral("clock.badge.exclamationmark")};
}

QString ModuleSettingsModel::counterText(const QuotaModuleSet &visibleModules)
{
    return QStringLiteral("%1 / %2 已显示").arg(visibleModules.size()).arg(QuotaModules::allCases.size());
}

bool ModuleSettingsModel::isShowAllEnabled(const QuotaModuleSet &visibleModules)
{
    return visibleModules.size() != QuotaModules::allCases.size();
}

bool ModuleSettingsModel::hasDividerAfter(int index)
{
    return index < static_cast<int>(QuotaModules::allCases.size()) - 1;
}

bool ModuleSettingsModel::isUpdateButtonEnabled(const RemoteUpdateState &state)
{
    return !state.is<RemoteUpdateState::Checking>() && !state.is<RemoteUpdateState::Downloading>() &&
           !state.is<RemoteUpdateState::Installing>();
}

bool ModuleSettingsModel::checksWhenShown(bool automaticallyChecksForUpdates, const RemoteUpdateState &state)
{
    return automaticallyChecksForUpdates && state.is<RemoteUpdateState::Idle>();
}

bool ModuleSettingsModel::checksAfterAutomaticCheckChange(bool enabled, const RemoteUpdateState &state)
{
    return enabled && state.is<RemoteUpdateState::Idle>();
}

bool ModuleSettingsModel::isSettingsWindow(const QString &identifier, const QString &title)
{
    return identifier == ModuleSettingsWindowController::identifier() ||
           title.contains(QStringLiteral("设置"), Qt::CaseInsensitive);
}

QWidget *ModuleSettingsModel::firstSettingsWindow(const QList<QWidget *> &windows)
{
    for (QWidget *window : windows) {
        if (window && window->isVisible() && isSettingsWindow(window->objectName(), window->windowTitle()))
            return window;
    }
    return nullptr;
}

QList<QWidget *> ModuleSettingsModel::applicationWindows()
{
    // topLevelWidgets() has no defined order; the platform windows are listed as they were made.
    const QWidgetList widgets = QApplication::topLevelWidgets();
    QList<QWidget *> ordered;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        for (QWidget *widget : widgets) {
            if (widget->windowHandle() == window)
                ordered.append(widget);
        }
    }
    return ordered;
}

} // namespace pulsegrove
