#pragma once

#include "Logger.h"
#include "PlatformFactory.h"
#include "PlatformServices.h"
#include "UserDefaults.h"
#include "foundation/Clock.h"
#include "preferences/QuotaModule.h"
#include "preferences/QuotaPanelStyle.h"
#include "quota/CodexRateLimitClient.h"
#include "quota/QuotaSnapshot.h"
#include "stores/QuotaCache.h"
#include "theme/QuotaThemeID.h"

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace pulsegrove {

// The one long-lived holder of the quota and of the interface preferences. It decides when to
// ask Codex again (never two exchanges at once, at most every 5 s unless forced, every 60 s while
// a surface is on screen, every 300 s otherwise, never while the machine sleeps), keeps the last
// good quota in the quota cache, tells when the data is stale, persists each preference the
// moment it changes and manages the login item. It lives on the main thread; every observable
// property announces a coming change with objectWillChange() and the new value with its own
// signal.
//
// The preferences live in memory here and in the defaults; writes reach the disk on the
// process's background file writer, so no setter waits on the disk. A setter the defaults refuse
// at once (a suite that would outgrow its cap) changes nothing; a write that fails later keeps the
// chosen value on screen while the defaults try again, and is reported with
// preferenceWriteFailed(). Values another process stored are picked up when a surface opens and
// after each successful refresh, never while drawing.
class QuotaStore final : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<pulsegrove::QuotaSnapshot> snapshot READ snapshot NOTIFY snapshotChanged)
    Q_PROPERTY(bool isRefreshing READ isRefreshing NOTIFY isRefreshingChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool launchAtLoginNeedsApproval READ launchAtLoginNeedsApproval NOTIFY
                   launchAtLoginNeedsApprovalChanged)
    Q_PROPERTY(std::optional<QString> launchAtLoginErrorMessage READ launchAtLoginErrorMessage NOTIFY
                   launchAtLoginErrorMessageChanged)
    Q_PROPERTY(bool hasLiveSnapshot READ hasLiveSnapshot NOTIFY hasLiveSnapshotChanged)
    Q_PROPERTY(pulsegrove::QuotaPanelStyle panelStyle READ panelStyle NOTIFY panelStyleChanged)
    Q_PROPERTY(pulsegrove::QuotaModuleSet visibleModules READ visibleModules NOTIFY visibleModulesChanged)
    Q_PROPERTY(bool showDockIcon READ showDockIcon NOTIFY showDockIconChanged)
    Q_PROPERTY(pulsegrove::QuotaThemeID theme READ theme NOTIFY themeChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates NOTIFY
                   automaticallyChecksForUpdatesChanged)

public:
    static constexpr const char *panelStyleKey = "io.velorn.Pulsegrove.panelStyle.v1";
    static constexpr double throttleSeconds = 5.0;
    static constexpr double staleAfterSeconds = 900.0;
    static constexpr std::chrono::seconds visibleInterval{60};
    static constexpr std::chrono::seconds hiddenInterval{300};

    QuotaStore(CodexRateLimitClient client, std::shared_ptr<QuotaCache> cache,
               std::shared_ptr<UserDefaults> defaults, bool allowsSystemSettings,
               PlatformServices services = PlatformFactory::production(), Clock clock = systemClock(),
               QObject *parent = nullptr);
    // Asks a running exchange to stop and waits for it (its child is stopped too); its result is
    // never delivered.
    ~QuotaStore() override;

    const std::optional<QuotaSnapshot> &snapshot() const { return m_snapshot; }
    bool isRefreshing() const { return m_isRefreshing; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    bool launchAtLogin() const { return m_launchAtLogin; }
    bool launchAtLoginNeedsApproval() const { return m_launchAtLoginNeedsApproval; }
    const std::optional<QString> &launchAtLoginErrorMessage() const { return m_launchAtLoginErrorMessage; }
    bool hasLiveSnapshot() const { return m_hasLiveSnapshot; }
    QuotaPanelStyle panelStyle() const { return m_panelStyle; }
    const QuotaModuleSet &visibleModules() const { return m_visibleModules; }
    bool showDockIcon() const { return m_showDockIcon; }
    QuotaThemeID theme() const { return m_theme; }
    bool automaticallyChecksForUpdates() const { return m_automaticallyChecksForUpdates; }

    // No snapshot, a cached one, one with an error standing, or one older than 900 s.
    bool isStale() const;
    bool canManageLaunchAtLogin() const;
    // Whether this store may touch the desktop's settings (login item, activation policy, sleep).
    bool allowsSystemSettings() const { return m_allowsSystemSettings; }

    // Set by the application; the store never calls them itself, surfaces call them when present.
    std::function<void()> moduleSettingsRequestHandler;
    std::function<void()> usageAnalyticsRequestHandler;

    // Finishes when this refresh is over, at once when it was skipped. Never fails.
    QFuture<void> refresh(bool force);
    void startPolling();
    void stopPolling();
    void setSurfaceVisible(bool visible, const QString &source);

    void setPanelStyle(QuotaPanelStyle style, bool persistStyle);
    void setModuleVisible(QuotaModule module, bool visible);
    void showAllModules();
    void setTheme(QuotaThemeID theme);
    void setShowDockIcon(bool shown);
    void setAutomaticallyChecksForUpdates(bool enabled);
    void refreshLaunchAtLoginState();
    void setLaunchAtLogin(bool enabled);
    // Shows where the desktop manages login items; does nothing when the store may not touch
    // system settings.
    void openLoginItemsSettings();

    // Read-only views of the polling machinery, for tests and diagnostics.
    bool isPollingEnabled() const { return m_pollingEnabled; }
    bool isSleeping() const { return m_isSleeping; }
    bool hasPollingTimer() const { return m_pollingTimer != nullptr; }
    std::optional<std::chrono::milliseconds> pollingInterval() const;
    const QSet<QString> &visibleSurfaces() const { return m_visibleSurfaces; }

Q_SIGNALS:
    void objectWillChange();
    void snapshotChanged();
    void isRefreshingChanged();
    void errorMessageChanged();
    void launchAtLoginChanged();
    void launchAtLoginNeedsApprovalChanged();
    void launchAtLoginErrorMessageChanged();
    void hasLiveSnapshotChanged();
    void panelStyleChanged();
    void visibleModulesChanged();
    void showDockIconChanged();
    void themeChanged();
    void automaticallyChecksForUpdatesChanged();
    // A preference could not be written yet (once per kind of failure); it stays as chosen and is
    // tried again.
    void preferenceWriteFailed();

private:
    struct StoredPreferences;
    struct FetchOutcome;

    // Runs on the fetch thread; every outcome becomes a value so nothing is thrown across threads.
    static FetchOutcome runFetch(const CodexRateLimitClient &client, std::stop_token stopToken);
    template <typename T> void publish(T &field, T value, void (QuotaStore::*changed)());
    StoredPreferences storedPreferences() const;
    void loadPreferences();
    // Publishes the stored values that differ from the ones shown.
    void takeStoredPreferences(bool writeFailed);
    // Runs the defaults' setter; false (reported) when the defaults refused the value.
    bool persist(const std::function<bool(UserDefaults &)> &write);
    void observeWorkspace();
    void finishRefresh(const FetchOutcome &outcome);
    void startAsynchronousRefresh();
    void schedulePolling();
    void handleSleep();
    void handleWake();
    // Reads the login item's status once; returns it when it was read.
    std::optional<LoginItemStatus> syncLaunchAtLoginState();
    bool saveHiddenModules(const QuotaModuleSet &visibleModules);

    std::optional<QuotaSnapshot> m_snapshot;
    bool m_isRefreshing = false;
    std::optional<QString> m_errorMessage;
    bool m_launchAtLogin = false;
    bool m_launchAtLoginNeedsApproval = false;
    std::optional<QString> m_launchAtLoginErrorMessage;
    bool m_hasLiveSnapshot = false;
    QuotaPanelStyle m_panelStyle = QuotaPanelStyle::system;
    QuotaModuleSet m_visibleModules;
    bool m_showDockIcon = true;
    QuotaThemeID m_theme = QuotaThemeID::aurora;
    bool m_automaticallyChecksForUpdates = true;

    CodexRateLimitClient m_client;
    std::shared_ptr<QuotaCache> m_cache;
    std::shared_ptr<UserDefaults> m_defaults;
    int m_defaultsObserver = -1;
    const bool m_allowsSystemSettings;
    PlatformServices m_services;
    Clock m_clock;
    Logger m_logger;
    std::unique_ptr<QTimer> m_pollingTimer;
    bool m_pollingEnabled = false;
    bool m_isSleeping = false;
    QSet<QString> m_visibleSurfaces;
    std::stop_source m_fetchStop;
    // One low-priority thread for the blocking exchange; declared last so it is destroyed first.
    QThreadPool m_fetchPool;
};

} // namespace pulsegrove
