#pragma once

#include "LoginItemService.h"
#include "SystemLog.h"
#include "TrayHost.h"
#include "UserDefaults.h"
#include "foundation/Clock.h"
#include "insights/QuotaInsightsCatalog.h"
#include "preferences/QuotaPanelStyle.h"
#include "statusitem/StatusItem.h"
#include "statusitem/StatusPopover.h"
#include "statusitem/SystemStatusMenu.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace pulsegrove {

class QuotaNoticeStore;
class QuotaStore;
class SystemMetricsStore;

// The application's presence in the desktop's tray: one status item whose title is the remaining
// quota, the native menu (panel style "system") and the popover with the quota panel (panel style
// "dashboard"). It keeps title, dimming, tool tip and accessibility texts in step with the quota
// and metrics stores, swaps menu and popover when the panel style changes, and tells both stores
// which of its surfaces are open, which is what makes them poll fast or sample at all.
//
// Store changes are coalesced: however many properties change in one turn of the event loop, one
// sync follows in a later turn and sees all of them.
class StatusBarController final : public QObject {
    Q_OBJECT
public:
    using PanelFactory = std::function<QWidget *(QuotaStore &store, SystemMetricsStore &metricsStore,
                                                 qreal maximumHeight, const QString &surfaceID,
                                                 std::function<void(qreal)> onPreferredHeightChange)>;
    // What the controller uses of the desktop, swappable for tests.
    struct Services {
        TrayHost *trayHost = nullptr;
        std::shared_ptr<SystemLog> log;
        // Read for the reset-reminder switch.
        std::shared_ptr<UserDefaults> defaults;
        Clock clock;
        PanelFactory panelFactory;
        // The visible height of the screen the status item is on; nothing without a screen.
        std::function<std::optional<qreal>()> screenVisibleHeight;
        // The process's notice store, and the model catalog the menu lists.
        QuotaNoticeStore *noticeStore = nullptr;
        std::optional<QuotaInsightsCatalog> insightsCatalog;
        // Opened by the login-item settings row.
        std::shared_ptr<LoginItemService> loginItem;
        std::function<void()> quitApplication;
    };
    static Services productionServices();

    static constexpr const char *autosaveName = "io.velorn.Pulsegrove.statusItem.v1";
    static constexpr qreal staleAlpha = 0.62;
    // The native menu's name in the stores' sets of visible surfaces.
    static QString systemMenuSurfaceID() { return QStringLiteral("system-menu"); }

    StatusBarController(QuotaStore &store, SystemMetricsStore &metricsStore,
                        std::function<void()> quotaSurfaceWillPresent, QObject *parent = nullptr);
    StatusBarController(QuotaStore &store, SystemMetricsStore &metricsStore,
                        std::function<void()> quotaSurfaceWillPresent, Services services,
                        QObject *parent = nullptr);
    ~StatusBarController() override;

    // Closes the native menu and the popover and takes the highlight off the button.
    void closeQuotaSurfaces();
    // Opens the native menu under a button of a preview window, switching this run to the system
    // style without storing it.
    void showSystemMenuFromPreview(QWidget *button);

    // The actions of the menu rows and of the status item.
    void showModuleSettings();
    void toggleDashboardPopover();
    void refreshQuota();
    void showUsageAnalytics();
    void refreshSystemMetrics();
    void toggleLaunchAtLogin();
    void openLoginItemsSettings();
    // Closes the menu, then stores the style the menu's row offered.
    void switchPanelStyle();
    void quitApplication();

    // Read-only views, for tests and diagnostics.
    StatusItem &statusItem() { return m_statusItem; }
    SystemStatusMenu &systemMenu() { return m_systemMenu; }
    // The popover, made when first needed; a closed one is dropped with all it drew, once its
    // panel is gone, and the next opening makes a new one.
    StatusPopover &popover();
    bool isPopoverShown() const { return m_popover && m_popover->isShown(); }
    const std::optional<QuotaPanelStyle> &appliedStyle() const { return m_appliedStyle; }
    qreal preferredPopoverHeight() const { return m_preferredPopoverHeight; }
    qreal configuredPopoverMaximumHeight() const { return m_configuredPopoverMaximumHeight; }
    bool isSystemMenuVisible() const { return m_isSystemMenuVisible; }
    bool isStoreSyncScheduled() const { return m_storeSyncScheduled; }
    const std::optional<QString> &popoverSurfaceID() const { return m_popoverSurfaceID; }

Q_SIGNALS:
    // A sync from the stores ran.
    void synced();
    // The metric rows and the tool tip followed the metrics store.
    void metricsSynced();

private:
    void connectMenuActions();
    void observeApplicationFocus();
    void observeStore();
    void observeMetricsStore();
    void observeNoticeStore();
    void syncFromStore();
    void updateStatusItem();
    void updateStatusItemMetadata();
    void updateSystemMenuItems();
    void updateInsightItems();
    void applyPanelStyleIfNeeded();
    qreal screenHeightLimit() const;
    void configurePopover(std::optional<qreal> maximumHeight);
    void sizePopover(qreal heightLimit);
    void showDashboardPopover();
    void menuWillOpen();
    void menuDidClose();
    void closePopover();
    void popoverDidClose();
    // Once the closed popover's panel is gone: the popover's window with its backing store, and
    // what the process cached for it.
    void releaseClosedPopover();
    bool resetRemindersEnabled() const;
    // Closes menu and popover, then calls the store's handler in a later turn when one is set.
    void closeSurfacesThenRequest(std::function<void()> QuotaStore::*handler);

    QuotaStore &m_store;
    SystemMetricsStore &m_metricsStore;
    std::function<void()> m_quotaSurfaceWillPresent;
    Services m_services;
    StatusItem m_statusItem;
    SystemStatusMenu m_systemMenu;
    std::unique_ptr<StatusPopover> m_popover;
    std::optional<QuotaPanelStyle> m_appliedStyle;
    qreal m_preferredPopoverHeight = 770.0;
    qreal m_configuredPopoverMaximumHeight = 770.0;
    bool m_isSystemMenuVisible = false;
    bool m_storeSyncScheduled = false;
    bool m_metricsSyncScheduled = false;
    std::optional<QString> m_popoverSurfaceID;
};

} // namespace pulsegrove
