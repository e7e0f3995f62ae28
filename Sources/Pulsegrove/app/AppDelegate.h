#pragma once

#include "PlatformServices.h"
#include "UserDefaults.h"
#include "analytics/CodexUsageAnalyticsService.h"
#include "foundation/Environment.h"
#include "statusitem/StatusBarController.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace pulsegrove {

class ModuleSettingsWindowController;
class QuotaStore;
class SystemMetricsStore;
class UsageDashboardWindowController;

// The composition root: it builds the long-lived stores, wires them to the status item, the
// settings window and the usage dashboard when launch ends, runs a developer preview when one is
// asked for, and owns the windows it opens. The entry calls its launch steps in the order the
// desktop would: constructor, applicationWillFinishLaunching, applicationDidFinishLaunching.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    // What the delegate takes from the process and the desktop; tests give their own.
    struct Dependencies {
        Environment environment;
        std::shared_ptr<UserDefaults> defaults;
        PlatformServices services;
        Workspace *metricsWorkspace = nullptr;
        std::function<StatusBarController::Services()> statusBarServices;
        // The visible height of the main screen, nothing without one.
        std::function<std::optional<int>()> mainScreenVisibleHeight;
        std::function<void(const QStringList &arguments)> markHealthyIfRequested;
        std::function<void()> presentRollbackNoticeIfNeeded;

        static Dependencies production();
    };

    static constexpr const char *previewSettingsOption = "--preview-settings";
    static constexpr const char *previewOption = "--preview";
    static constexpr const char *previewSystemMenuOption = "--preview-system-menu";
    static constexpr const char *previewStatusItemOption = "--preview-status-item";
    static constexpr const char *previewUsageDashboardOption = "--preview-usage-dashboard";
    // Every preview option, in the order launch prefers them when several are given.
    static constexpr std::array previewOptions = {previewSettingsOption, previewOption, previewSystemMenuOption,
                                                  previewStatusItemOption, previewUsageDashboardOption};

    explicit AppDelegate(Dependencies dependencies = Dependencies::production(), QObject *parent = nullptr);
    ~AppDelegate() override;

    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching(const QStringList &arguments);
    void applicationWillTerminate();
    // Opens the settings window when no window is visible; true in every case.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // A later start's preview option, handed over instead of starting a second copy: opens that
    // preview as launch would. Anything else is ignored.
    void openPreview(const QString &option);
    // Whether the application shows an ordinary window now (popups and the tray do not count).
    static bool hasVisibleWindows();

    void showModuleSettings();
    void showUsageDashboard();
    // Handed to the status item, which calls it just before the menu or the popover opens.
    std::function<void()> quotaSurfaceWillPresent();

    QuotaStore &store() const { return *m_store; }
    SystemMetricsStore &metricsStore() const { return *m_metricsStore; }
    StatusBarController *statusBarController() const { return m_statusBarController.get(); }
    UsageDashboardWindowController *usageDashboardController() const
    {
        return m_usageDashboardController.get();
    }
    ModuleSettingsWindowController *moduleSettingsController() const
    {
        return m_moduleSettingsController.get();
    }
    QWidget *previewWindow() const { return m_previewWindow.get(); }
    QuotaStore *settingsPreviewStore() const { return m_settingsPreviewStore.get(); }

private:
    void subscribeToQuotaUpdates();
    void runPreview(const QStringList &arguments);
    void presentPreviewsInTaskbar();
    void showSettingsPreview();
    void showDashboardPreview(QuotaStore &store, SystemMetricsStore &metricsStore);
    void showSystemMenuPreview(StatusBarController *controller);
    void showStatusItemPreview(QuotaStore &store);
    void setPreviewWindow(std::unique_ptr<QWidget> window);

    Dependencies m_dependencies;
    std::unique_ptr<QuotaStore> m_store;
    std::unique_ptr<SystemMetricsStore> m_metricsStore;
    CodexUsageAnalyticsService m_usageAnalyticsService;
    std::unique_ptr<StatusBarController> m_statusBarController;
    std::unique_ptr<UsageDashboardWindowController> m_usageDashboardController;
    std::unique_ptr<ModuleSettingsWindowController> m_moduleSettingsController;
    QList<QMetaObject::Connection> m_quotaUpdates;
    // The preview store outlives the preview window whose settings view reads it.
    std::unique_ptr<QuotaStore> m_settingsPreviewStore;
    std::unique_ptr<QWidget> m_previewWindow;
};

} // namespace pulsegrove
