#include "stores/QuotaStore.h"

#include "foundation/SmallFileReader.h"
#include "preferences/PulsegrovePreferenceDefaults.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "quota/CancellationError.h"
#include "quota/CodexRateLimitClientError.h"
#include "quota/FetchErrorDescription.h"
#include "stores/FutureCompletion.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <system_error>

namespace pulsegrove {

struct QuotaStore::StoredPreferences {
    QuotaPanelStyle panelStyle;
    QuotaModuleSet visibleModules;
    bool showDockIcon;
    QuotaThemeID theme;
    bool automaticallyChecksForUpdates;
};

struct QuotaStore::FetchOutcome {
    std::optional<QuotaSnapshot> snapshot;
    bool cancelled = false;
    QString errorDescription;
};

namespace {

const QString launchAtLoginUnsupportedMessage =
    QString::fromUtf8("当前应用位置不支持开机启动，请重新运行安装脚本。");
const QString launchAtLoginFailedPrefix = QString::fromUtf8("开机启动设置失败：");
// A real cache file is a few kilobytes; a far larger file is not ours and is not read at all.
constexpr std::size_t maximumCacheFileSize = 1024 * 1024;

// Read on the GUI thread at start, so whatever stands at the path must neither block nor cost
// more than the cap: a FIFO, a device, a link or an oversized file simply means no cache.
std::optional<QuotaSnapshot> loadCachedSnapshot(const std::filesystem::path &fileURL)
{
    if (fileURL.empty())
        return std::nullopt;
    const auto file = SmallFileReader::read(fileURL, maximumCacheFileSize);
    if (!file.isRead())
        return std::nullopt;
    try {
        return QuotaSnapshot::decodeJSON(file.content);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

bool isRegistered(LoginItemStatus status)
{
    return status == LoginItemStatus::enabled || status == LoginItemStatus::requiresApproval;
}

} // namespace

QuotaStore::QuotaStore(CodexRateLimitClient client, std::shared_ptr<QuotaCache> cache,
                       std::shared_ptr<UserDefaults> defaults, bool allowsSystemSettings,
                       PlatformServices services, Clock clock, QObject *parent)
    : QObject(parent), m_client(std::move(client)), m_cache(std::move(cache)),
      m_defaults(std::move(defaults)), m_allowsSystemSettings(allowsSystemSettings),
      m_services(std::move(services)), m_clock(std::move(clock)),
      m_logger(m_services.systemLog, QStringLiteral("quota"))
{
    m_fetchPool.setMaxThreadCount(1);
    m_fetchPool.setThreadPriority(QThread::LowPriority);
    if (m_cache) {
        // A store made while another one's save is still queued (a preview's) reads what was
        // saved; at start nothing is queued, so the main thread waits for nothing.
        QuotaCache::flush();
        m_snapshot = loadCachedSnapshot(m_cache->fileURL());
    }
    loadPreferences();
    if (m_defaults) {
        // Heard on the writer's thread, handled on this one.
        m_defaultsObserver = m_defaults->observeChanges([this](bool writeFailed) {
            QMetaObject::invokeMethod(
                this, [this, writeFailed] { takeStoredPreferences(writeFailed); }, Qt::QueuedConnection);
        });
    }
    syncLaunchAtLoginState();
    if (m_allowsSystemSettings)
        observeWorkspace();
}

QuotaStore::~QuotaStore()
{
    if (m_defaults)
        m_defaults->stopObserving(m_defaultsObserver);
    // The continuation of a running fetch is queued to this object and dies with it; waiting
    // here guarantees the exchange, and its child, are over before the members go.
    m_fetchStop.request_stop();
    m_fetchPool.waitForDone();
}

QuotaStore::StoredPreferences QuotaStore::storedPreferences() const
{
    const auto theme = m_defaults->stringValue(PulsegrovePreferenceKeys::theme);
    return {
        QuotaPanelStyles::fromStoredValue(m_defaults->stringValue(panelStyleKey)),
        PulsegrovePreferenceDefaults::visibleModules(
            m_defaults->stringListValue(PulsegrovePreferenceKeys::hiddenModules)),
        PulsegrovePreferenceDefaults::showDockIcon(
            m_defaults->boolValue(PulsegrovePreferenceKeys::showDockIcon)),
        theme ? QuotaThemeIDs::fromRawValue(*theme).value_or(QuotaThemeID::aurora) : QuotaThemeID::aurora,
        PulsegrovePreferenceDefaults::automaticallyChecksForUpdates(
            m_defaults->boolValue(PulsegrovePreferenceKeys::automaticallyChecksForUpdates)),
    };
}

void QuotaStore::loadPreferences()
{
    if (!m_defaults)
        return;
    auto stored = storedPreferences();
    m_panelStyle = stored.panelStyle;
    m_visibleModules = std::move(stored.visibleModules);
    m_showDockIcon = stored.showDockIcon;
    m_theme = stored.theme;
    m_automaticallyChecksForUpdates = stored.automaticallyChecksForUpdates;
}

void QuotaStore::takeStoredPreferences(bool writeFailed)
{
    auto stored = storedPreferences();
    const auto take = [this](auto &field, auto value, void (QuotaStore::*changed)()) {
        if (field != value)
            publish(field, std::move(value), changed);
    };
    take(m_panelStyle, stored.panelStyle, &QuotaStore::panelStyleChanged);
    take(m_visibleModules, std::move(stored.visibleModules), &QuotaStore::visibleModulesChanged);
    take(m_showDockIcon, stored.showDockIcon, &QuotaStore::showDockIconChanged);
    take(m_theme, stored.theme, &QuotaStore::themeChanged);
    take(m_automaticallyChecksForUpdates, stored.automaticallyChecksForUpdates,
         &QuotaStore::automaticallyChecksForUpdatesChanged);
    if (writeFailed)
        Q_EMIT preferenceWriteFailed();
}

bool QuotaStore::persist(const std::function<bool(UserDefaults &)> &write)
{
    if (!m_defaults || write(*m_defaults))
        return true;
    Q_EMIT preferenceWriteFailed();
    return false;
}

void QuotaStore::observeWorkspace()
{
    Workspace *workspace = m_services.workspace;
    if (!workspace)
        return;
    // Queued: each announcement is handled in a task of its own once the current one is done.
    connect(workspace, &Workspace::didWake, this, &QuotaStore::handleWake, Qt::QueuedConnection);
    connect(workspace, &Workspace::willSleep, this, &QuotaStore::handleSleep, Qt::QueuedConnection);
    connect(workspace, &Workspace::screensDidSleep, this, &QuotaStore::handleSleep, Qt::QueuedConnection);
    connect(workspace, &Workspace::screensDidWake, this, &QuotaStore::handleWake, Qt::QueuedConnection);
}

template <typename T> void QuotaStore::publish(T &field, T value, void (QuotaStore::*changed)())
{
    Q_EMIT objectWillChange();
    field = std::move(value);
    Q_EMIT(this->*changed)();
}

bool QuotaStore::isStale() const
{
    if (!m_snapshot || !m_hasLiveSnapshot || m_errorMessage)
        return true;
    return m_clock().timeIntervalSince(m_snapshot->fetchedAt()) > staleAfterSeconds;
}

bool QuotaStore::canManageLaunchAtLogin() const
{
    return m_allowsSystemSettings && m_services.mainBundle.isApplicationBundle();
}

std::optional<std::chrono::milliseconds> QuotaStore::pollingInterval() const
{
    if (!m_pollingTimer)
        return std::nullopt;
    return m_pollingTimer->intervalAsDuration();
}

// ---- Refresh

QuotaStore::FetchOutcome QuotaStore::runFetch(const CodexRateLimitClient &client, std::stop_token stopToken)
{
    FetchOutcome outcome;
    try {
        outcome.snapshot = client.fetchSynchronously(stopToken);
    } catch (const CancellationError &) {
        outcome.cancelled = true;
    } catch (const std::exception &error) {
        outcome.errorDescription = QString::fromStdString(FetchErrorDescription::describe(error));
    } catch (...) {
        outcome.errorDescription =
            QString::fromStdString(CodexRateLimitClientError::connectionClosed().errorDescription());
    }
    return outcome;
}

QFuture<void> QuotaStore::refresh(bool force)
{
    if (m_isRefreshing || m_isSleeping)
        return QtFuture::makeReadyFuture();
    if (!force && m_snapshot) {
        // A fetch time ahead of the clock (the clock was set back) must not hold refreshes back.
        const double age = m_clock().timeIntervalSince(m_snapshot->fetchedAt());
        if (age >= 0 && age < throttleSeconds)
            return QtFuture::makeReadyFuture();
    }
    publish(m_isRefreshing, true, &QuotaStore::isRefreshingChanged);
    m_fetchStop = std::stop_source();
    auto fetch = QtConcurrent::run(&m_fetchPool, &QuotaStore::runFetch, m_client, m_fetchStop.get_token());
    return whenFinished(this, fetch,
                        [this](const QFuture<FetchOutcome> &finished) { finishRefresh(finished.result()); });
}

void QuotaStore::finishRefresh(const FetchOutcome &outcome)
{
    if (outcome.snapshot) {
        publish(m_snapshot, outcome.snapshot, &QuotaStore::snapshotChanged);
        publish(m_hasLiveSnapshot, true, &QuotaStore::hasLiveSnapshotChanged);
        publish(m_errorMessage, std::optional<QString>(), &QuotaStore::errorMessageChanged);
        if (m_cache)
            m_cache->save(*outcome.snapshot);
        if (m_defaults)
            m_defaults->reload();
        m_logger.info(QStringLiteral("Quota refreshed successfully"));
    } else if (!outcome.cancelled) {
        publish(m_errorMessage, std::optional<QString>(outcome.errorDescription),
                &QuotaStore::errorMessageChanged);
        m_logger.error(QStringLiteral("Quota refresh failed: %{private}s"), {outcome.errorDescription});
    }
    publish(m_isRefreshing, false, &QuotaStore::isRefreshingChanged);
}

void QuotaStore::startAsynchronousRefresh()
{
    QMetaObject::invokeMethod(
        this, [this] { refresh(false); }, Qt::QueuedConnection);
}

// ---- Polling, surfaces, sleep

void QuotaStore::startPolling()
{
    if (m_pollingEnabled)
        return;
    m_pollingEnabled = true;
    schedulePolling();
    startAsynchronousRefresh();
}

void QuotaStore::stopPolling()
{
    m_pollingEnabled = false;
    m_pollingTimer.reset();
}

void QuotaStore::schedulePolling()
{
    m_pollingTimer.reset();
    if (!m_pollingEnabled || m_isSleeping)
        return;
    // A child, so it can be found by tools that walk the object tree.
    auto timer = std::make_unique<QTimer>(this);
    // Coarse timers let the system batch wake-ups; the interval needs no precision.
    timer->setTimerType(Qt::CoarseTimer);
    timer->setInterval(m_visibleSurfaces.isEmpty() ? hiddenInterval : visibleInterval);
    connect(timer.get(), &QTimer::timeout, this, [this] { refresh(false); });
    timer->start();
    m_pollingTimer = std::move(timer);
}

void QuotaStore::setSurfaceVisible(bool visible, const QString &source)
{
    const bool wasEmpty = m_visibleSurfaces.isEmpty();
    if (visible)
        m_visibleSurfaces.insert(source);
    else
        m_visibleSurfaces.remove(source);
    if (wasEmpty == m_visibleSurfaces.isEmpty())
        return;
    schedulePolling();
    if (visible && m_defaults)
        m_defaults->reload();
    if (visible && m_pollingEnabled && !m_isSleeping)
        startAsynchronousRefresh();
}

void QuotaStore::handleSleep()
{
    // A refresh already under way runs to its end; only the timer goes.
    m_isSleeping = true;
    schedulePolling();
}

void QuotaStore::handleWake()
{
    if (!m_isSleeping)
        return;
    m_isSleeping = false;
    schedulePolling();
    if (m_pollingEnabled)
        startAsynchronousRefresh();
}

// ---- Preferences

void QuotaStore::setPanelStyle(QuotaPanelStyle style, bool persistStyle)
{
    if (persistStyle && !persist([style](UserDefaults &defaults) {
            return defaults.setString(panelStyleKey, QuotaPanelStyles::rawValue(style));
        }))
        return;
    if (style != m_panelStyle)
        publish(m_panelStyle, style, &QuotaStore::panelStyleChanged);
}

void QuotaStore::setModuleVisible(QuotaModule module, bool visible)
{
    auto modules = m_visibleModules;
    if (visible)
        modules.insert(module);
    else
        modules.erase(module);
    if (modules == m_visibleModules)
        return;
    if (saveHiddenModules(modules))
        publish(m_visibleModules, modules, &QuotaStore::visibleModulesChanged);
}

void QuotaStore::showAllModules()
{
    const auto all = QuotaModules::allModules();
    if (all == m_visibleModules)
        return;
    if (saveHiddenModules(all))
        publish(m_visibleModules, all, &QuotaStore::visibleModulesChanged);
}

bool QuotaStore::saveHiddenModules(const QuotaModuleSet &visibleModules)
{
    const auto hidden = PulsegrovePreferenceDefaults::hiddenStoredValues(visibleModules);
    return persist([&hidden](UserDefaults &defaults) {
        return defaults.setStringList(PulsegrovePreferenceKeys::hiddenModules, hidden);
    });
}

void QuotaStore::setTheme(QuotaThemeID theme)
{
    if (theme == m_theme)
        return;
    // Stored first: surfaces that hear the change read the palette from the defaults
    // (QuotaTheme::selected) and must find the new theme there already.
    if (persist([theme](UserDefaults &defaults) {
            return defaults.setString(PulsegrovePreferenceKeys::theme, QuotaThemeIDs::rawValue(theme));
        }))
        publish(m_theme, theme, &QuotaStore::themeChanged);
}

void QuotaStore::setShowDockIcon(bool shown)
{
    if (!persist([shown](UserDefaults &defaults) {
            return defaults.setBool(PulsegrovePreferenceKeys::showDockIcon, shown);
        }))
        return;
    if (shown != m_showDockIcon)
        publish(m_showDockIcon, shown, &QuotaStore::showDockIconChanged);
    if (!m_allowsSystemSettings || !m_services.activation)
        return;
    const auto policy = shown ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (m_services.activation->activationPolicy() != policy)
        m_services.activation->setActivationPolicy(policy);
    if (shown)
        m_services.activation->activate(true);
}

void QuotaStore::setAutomaticallyChecksForUpdates(bool enabled)
{
    if (enabled == m_automaticallyChecksForUpdates)
        return;
    if (persist([enabled](UserDefaults &defaults) {
            return defaults.setBool(PulsegrovePreferenceKeys::automaticallyChecksForUpdates, enabled);
        }))
        publish(m_automaticallyChecksForUpdates, enabled, &QuotaStore::automaticallyChecksForUpdatesChanged);
}

// ---- Login item

std::optional<LoginItemStatus> QuotaStore::syncLaunchAtLoginState()
{
    std::optional<LoginItemStatus> status;
    if (m_allowsSystemSettings && m_services.loginItem)
        status = m_services.loginItem->status();
    publish(m_launchAtLogin, status && isRegistered(*status), &QuotaStore::launchAtLoginChanged);
    publish(m_launchAtLoginNeedsApproval, status == LoginItemStatus::requiresApproval,
            &QuotaStore::launchAtLoginNeedsApprovalChanged);
    return status;
}

void QuotaStore::refreshLaunchAtLoginState()
{
    if (!m_allowsSystemSettings)
        return;
    const auto status = syncLaunchAtLoginState();
    if (status && isRegistered(*status))
        publish(m_launchAtLoginErrorMessage, std::optional<QString>(),
                &QuotaStore::launchAtLoginErrorMessageChanged);
}

void QuotaStore::openLoginItemsSettings()
{
    if (m_allowsSystemSettings && m_services.loginItem)
        m_services.loginItem->openSystemSettingsLoginItems();
}

void QuotaStore::setLaunchAtLogin(bool enabled)
{
    if (!canManageLaunchAtLogin() || !m_services.loginItem)
        return;
    LoginItemService &loginItem = *m_services.loginItem;
    const auto status = loginItem.status();
    if (enabled && status == LoginItemStatus::notFound) {
        publish(m_launchAtLoginErrorMessage, std::optional<QString>(launchAtLoginUnsupportedMessage),
                &QuotaStore::launchAtLoginErrorMessageChanged);
        syncLaunchAtLoginState();
        return;
    }
    std::optional<QString> failure;
    try {
        if (enabled && status == LoginItemStatus::notRegistered)
            loginItem.registerService();
        else if (!enabled && isRegistered(status))
            loginItem.unregisterService();
    } catch (const std::exception &error) {
        failure = launchAtLoginFailedPrefix + QString::fromUtf8(error.what());
    }
    syncLaunchAtLoginState();
    publish(m_launchAtLoginErrorMessage, failure, &QuotaStore::launchAtLoginErrorMessageChanged);
}

} // namespace pulsegrove
