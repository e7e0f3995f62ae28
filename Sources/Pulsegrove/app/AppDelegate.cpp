#include "app/AppDelegate.h"

#include "BackgroundFileWriter.h"
#include "PlatformFactory.h"
#include "analytics/QuotaSnapshotDashboardRows.h"
#include "app/DeveloperPreviewWindows.h"
#include "dashboard/UsageDashboardWindowController.h"
#include "formatting/StatusItemQuotaText.h"
#include "preferences/PulsegrovePreferenceDefaults.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "settings/ModuleSettingsView.h"
#include "settings/ModuleSettingsWindowController.h"
#include "stores/QuotaCache.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"
#include "theme/QuotaThemeID.h"
#include "update/RemoteUpdateStore.h"
#include "update/UpdateInstaller.h"
#include "views/panel/QuotaPanelView.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QUuid>
#include <QVBoxLayout>
#include <algorithm>

namespace pulsegrove {

AppDelegate::Dependencies AppDelegate::Dependencies::production()
{
    return {
        Environment::current(),
        UserDefaults::standard(),
        PlatformFactory::production(),
        Workspace::shared(),
        &StatusBarController::productionServices,
        []() -> std::optional<int> {
            const QScreen *screen = QGuiApplication::primaryScreen();
            return screen ? std::optional<int>(screen->availableGeometry().height()) : std::nullopt;
        },
        [](const QStringList &arguments) { UpdateInstaller::markHealthyIfRequested(arguments); },
        [] { UpdateInstaller::presentRollbackNoticeIfNeeded(); },
    };
}

AppDelegate::AppDelegate(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_dependencies(std::move(dependencies)),
      m_usageAnalyticsService(CodexUsageAnalyticsConfiguration::live(m_dependencies.environment))
{
    const auto cache = std::make_shared<QuotaCache>(m_dependencies.environment);
    m_store = std::make_unique<QuotaStore>(CodexRateLimitClient(m_dependencies.environment), cache,
                                           m_dependencies.defaults, true, m_dependencies.services);
    m_metricsStore = std::make_unique<SystemMetricsStore>(nullptr, m_dependencies.metricsWorkspace);
}

AppDelegate::~AppDelegate()
{
    for (const auto &connection : m_quotaUpdates)
        disconnect(connection);
    // Whatever was set reaches the disk before the application goes, however it ends.
    BackgroundFileWriter::shared().flush();
}

void AppDelegate::applicationWillFinishLaunching()
{
    // Only a stored Boolean false hides the application from the taskbar; an absent key or a
    // value of another type is the default, a regular application.
    const auto stored = m_dependencies.defaults
                            ? m_dependencies.defaults->boolValue(PulsegrovePreferenceKeys::showDockIcon)
                            : std::nullopt;
    if (m_dependencies.services.activation)
        m_dependencies.services.activation->setActivationPolicy(stored == false ? ActivationPolicy::accessory
                                                                                : ActivationPolicy::regular);
}

void AppDelegate::applicationDidFinishLaunching(const QStringList &arguments)
{
    const auto has = [&arguments](const char *option) { return arguments.contains(QLatin1String(option)); };
    if (std::any_of(previewOptions.begin(), previewOptions.end(), has))
        presentPreviewsInTaskbar();
    if (has(previewSettingsOption)) {
        showSettingsPreview();
        return;
    }
    QPointer<AppDelegate> self(this);
    m_store->usageAnalyticsRequestHandler = [self] {
        if (self)
            self->showUsageDashboard();
    };
    m_store->moduleSettingsRequestHandler = [self] {
        if (self)
            self->showModuleSettings();
    };
    subscribeToQuotaUpdates();
    auto services = m_dependencies.statusBarServices ? m_dependencies.statusBarServices()
                                                     : StatusBarController::productionServices();
    m_statusBarController = std::make_unique<StatusBarController>(
        *m_store, *m_metricsStore, quotaSurfaceWillPresent(), std::move(services));
    m_store->startPolling();
    runPreview(arguments);
    if (m_dependencies.markHealthyIfRequested)
        m_dependencies.markHealthyIfRequested(arguments);
    if (m_dependencies.presentRollbackNoticeIfNeeded)
        m_dependencies.presentRollbackNoticeIfNeeded();
}

void AppDelegate::subscribeToQuotaUpdates()
{
    const auto update = [this] {
        if (m_usageDashboardController)
            m_usageDashboardController->updateQuotaSnapshots();
    };
    m_quotaUpdates = {
        connect(m_store.get(), &QuotaStore::snapshotChanged, this, update),
        connect(m_store.get(), &QuotaStore::hasLiveSnapshotChanged, this, update),
        connect(m_store.get(), &QuotaStore::errorMessageChanged, this, update),
    };
    // The first combined value arrives at once, as a subscription's does.
    update();
}

void AppDelegate::runPreview(const QStringList &arguments)
{
    const auto has = [&arguments](const char *option) { return arguments.contains(QLatin1String(option)); };
    // Straight to the observable property, never stored: the next start keeps the user's style.
    const auto useStyle = [this](QuotaPanelStyle style) {
        if (m_store->panelStyle() != style)
            m_store->setPanelStyle(style, false);
    };
    if (has(previewOption)) {
        useStyle(QuotaPanelStyle::dashboard);
        showDashboardPreview(*m_store, *m_metricsStore);
    } else if (has(previewSystemMenuOption)) {
        useStyle(QuotaPanelStyle::system);
        showSystemMenuPreview(m_statusBarController.get());
    } else if (has(previewStatusItemOption)) {
        useStyle(QuotaPanelStyle::system);
        showStatusItemPreview(*m_store);
    } else if (has(previewUsageDashboardOption)) {
        showUsageDashboard();
    }
}

void AppDelegate::presentPreviewsInTaskbar()
{
    if (m_dependencies.services.activation)
        m_dependencies.services.activation->setActivationPolicy(ActivationPolicy::regular);
}

void AppDelegate::openPreview(const QString &option)
{
    if (std::none_of(previewOptions.begin(), previewOptions.end(),
                     [&option](const char *name) { return option == QLatin1String(name); }))
        return;
    presentPreviewsInTaskbar();
    if (option == QLatin1String(previewSettingsOption))
        showSettingsPreview();
    else
        runPreview({option});
}

void AppDelegate::applicationWillTerminate()
{
    m_store->stopPolling();
    m_metricsStore->stopPolling();
    // Preferences and the quota cache are written in the background; quitting, a logout or
    // SIGTERM all come through here, and nothing that was set may be lost: a write that waits for
    // a retry gets its last try now, while the log is still there to name what could not be kept.
    BackgroundFileWriter::shared().drain();
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows)
        showModuleSettings();
    else if (m_dependencies.services.activation)
        m_dependencies.services.activation->activate(true);
    return true;
}

bool AppDelegate::hasVisibleWindows()
{
    const auto widgets = QApplication::topLevelWidgets();
    // The XEmbed tray icon and the popover are frameless top-level widgets, not windows.
    return std::any_of(widgets.begin(), widgets.end(), [](const QWidget *widget) {
        const Qt::WindowType type = widget->windowType();
        const Qt::WindowFlags flags = widget->windowFlags();
        return widget->isVisible() && (type == Qt::Window || type == Qt::Dialog) &&
               !flags.testAnyFlags(Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    });
}

void AppDelegate::showModuleSettings()
{
    if (m_statusBarController)
        m_statusBarController->closeQuotaSurfaces();
    if (!m_moduleSettingsController)
        m_moduleSettingsController = std::make_unique<ModuleSettingsWindowController>(*m_store);
    m_moduleSettingsController->present();
}

void AppDelegate::showUsageDashboard()
{
    if (m_usageDashboardController) {
        m_usageDashboardController->show();
        return;
    }
    const CodexUsageAnalyticsService service = m_usageAnalyticsService;
    QPointer<QuotaStore> store(m_store.get());
    QPointer<AppDelegate> self(this);
    m_usageDashboardController = std::make_unique<UsageDashboardWindowController>(
        [service](bool rebuild, UsageDashboardWindowController::ProgressCallback progress) {
            return service.loadReport(rebuild, std::move(progress));
        },
        [store]() -> std::vector<UsageQuotaSnapshot> {
            if (!store || !store->snapshot())
                return {};
            return QuotaSnapshotDashboardRows::usageDashboardSnapshots(*store->snapshot(), store->isStale());
        },
        [self] {
            // Called from the window's own close event: the controller goes once that is over.
            if (self && self->m_usageDashboardController)
                self->m_usageDashboardController.release()->deleteLater();
        },
        m_dependencies.services.activation);
    m_usageDashboardController->show();
}

std::function<void()> AppDelegate::quotaSurfaceWillPresent()
{
    QPointer<AppDelegate> self(this);
    return [self] {
        if (self && self->m_moduleSettingsController)
            self->m_moduleSettingsController->hideAndDropContent();
    };
}

// ---- Developer previews

void AppDelegate::setPreviewWindow(std::unique_ptr<QWidget> window)
{
    m_previewWindow = std::move(window);
    DeveloperPreviewWindows::present(*m_previewWindow);
    if (m_dependencies.services.activation)
        m_dependencies.services.activation->activate(true);
}

void AppDelegate::showSettingsPreview()
{
    const auto suite = std::make_shared<UserDefaults>(DeveloperPreviewWindows::settingsSuiteName,
                                                      m_dependencies.environment);
    // Always from the main store's values, never from an earlier preview's edits.
    suite->removePersistentDomain(DeveloperPreviewWindows::settingsSuiteName);
    suite->setString(PulsegrovePreferenceKeys::theme, QuotaThemeIDs::rawValue(m_store->theme()));
    suite->setStringList(PulsegrovePreferenceKeys::hiddenModules,
                         PulsegrovePreferenceDefaults::hiddenStoredValues(m_store->visibleModules()));
    suite->setBool(PulsegrovePreferenceKeys::showDockIcon, m_store->showDockIcon());
    suite->setBool(PulsegrovePreferenceKeys::automaticallyChecksForUpdates, false);

    m_settingsPreviewStore = std::make_unique<QuotaStore>(
        CodexRateLimitClient(m_dependencies.environment),
        std::make_shared<QuotaCache>(m_dependencies.environment), suite, false, m_dependencies.services);
    auto *content = new QWidget;
    auto *updateStore = new RemoteUpdateStore(content);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ModuleSettingsView(*m_settingsPreviewStore, *updateStore));
    setPreviewWindow(DeveloperPreviewWindows::makeWindow(
        DeveloperPreviewWindows::settingsTitle(),
        QSize(ModuleSettingsWindowController::contentWidth, ModuleSettingsWindowController::contentHeight),
        content, true,
        QSize(ModuleSettingsWindowController::minimumContentWidth,
              ModuleSettingsWindowController::minimumContentHeight)));
}

void AppDelegate::showDashboardPreview(QuotaStore &store, SystemMetricsStore &metricsStore)
{
    const int maximumHeight = DeveloperPreviewWindows::panelMaximumHeight(
        m_dependencies.mainScreenVisibleHeight ? m_dependencies.mainScreenVisibleHeight() : std::nullopt);
    QPointer<AppDelegate> self(this);
    auto *panel = new QuotaPanelView(
        store, metricsStore, maximumHeight, QUuid::createUuid().toString(QUuid::WithoutBraces),
        [self](qreal height) {
            if (self && self->m_previewWindow)
                self->m_previewWindow->setFixedSize(DeveloperPreviewWindows::panelWidth, qRound(height));
        });
    setPreviewWindow(DeveloperPreviewWindows::makeWindow(
        DeveloperPreviewWindows::panelTitle(), QSize(DeveloperPreviewWindows::panelWidth, maximumHeight),
        panel, true));
}

void AppDelegate::showSystemMenuPreview(StatusBarController *controller)
{
    QPointer<StatusBarController> target(controller);
    auto openMenu = controller ? std::function<void(QPushButton *)>([target](QPushButton *button) {
        if (target)
            target->showSystemMenuFromPreview(button);
    })
                               : std::function<void(QPushButton *)>();
    setPreviewWindow(
        DeveloperPreviewWindows::makeWindow(DeveloperPreviewWindows::systemMenuTitle(), QSize(320, 108),
                                            DeveloperPreviewWindows::makeSystemMenuContent(openMenu), false));
}

void AppDelegate::showStatusItemPreview(QuotaStore &store)
{
    const auto &snapshot = store.snapshot();
    const std::string title = snapshot ? StatusItemQuotaText::title(snapshot->fiveHour(), snapshot->weekly())
                                       : StatusItemQuotaText::title(std::nullopt, std::nullopt);
    setPreviewWindow(DeveloperPreviewWindows::makeWindow(
        DeveloperPreviewWindows::statusItemTitle(), QSize(300, 112),
        DeveloperPreviewWindows::makeStatusItemContent(QString::fromStdString(title)), false));
}

} // namespace pulsegrove
