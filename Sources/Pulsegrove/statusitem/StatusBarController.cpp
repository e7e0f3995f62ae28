#include "statusitem/StatusBarController.h"

#include "PlatformFactory.h"
#include "formatting/StatusItemMetadataFormatter.h"
#include "formatting/StatusItemQuotaText.h"
#include "insights/QuotaNoticeStore.h"
#include "insights/QuotaResetHint.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "statusitem/ClosedSurfaceMemory.h"
#include "statusitem/PopoverGeometry.h"
#include "statusitem/StatusMenuModel.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"
#include "views/panel/QuotaPanelView.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QUuid>

namespace pulsegrove {

namespace {

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Runs `work` in a later turn of the event loop, unless the controller is gone by then.
template <typename Work> void queue(StatusBarController *controller, Work work)
{
    QMetaObject::invokeMethod(controller, std::move(work), Qt::QueuedConnection);
}

} // namespace

StatusBarController::Services StatusBarController::productionServices()
{
    Services services;
    services.trayHost = PlatformFactory::sharedTrayHost();
    services.log = PlatformFactory::sharedSystemLog();
    services.defaults = UserDefaults::standard();
    services.clock = systemClock();
    // The screen under the pointer is the one whose tray icon was just clicked.
    services.screenVisibleHeight = []() -> std::optional<qreal> {
        const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        return screen ? std::optional<qreal>(screen->availableGeometry().height()) : std::nullopt;
    };
    services.panelFactory = [](QuotaStore &store, SystemMetricsStore &metricsStore, qreal maximumHeight,
                               const QString &surfaceID, std::function<void(qreal)> onPreferredHeightChange) {
        return new QuotaPanelView(store, metricsStore, maximumHeight, surfaceID,
                                  std::move(onPreferredHeightChange));
    };
    services.noticeStore = &QuotaNoticeStore::shared();
    services.insightsCatalog = QuotaInsightsCatalog::bundled();
    services.loginItem = PlatformFactory::mainAppLoginItem();
    services.quitApplication = [] { QCoreApplication::quit(); };
    return services;
}

StatusBarController::StatusBarController(QuotaStore &store, SystemMetricsStore &metricsStore,
                                         std::function<void()> quotaSurfaceWillPresent, QObject *parent)
    : StatusBarController(store, metricsStore, std::move(quotaSurfaceWillPresent), productionServices(),
                          parent)
{
}

StatusBarController::StatusBarController(QuotaStore &store, SystemMetricsStore &metricsStore,
                                         std::function<void()> quotaSurfaceWillPresent, Services services,
                                         QObject *parent)
    : QObject(parent), m_store(store), m_metricsStore(metricsStore),
      m_quotaSurfaceWillPresent(std::move(quotaSurfaceWillPresent)), m_services(std::move(services)),
      m_statusItem(m_services.trayHost, m_services.log)
{
    m_statusItem.setAutosaveName(QString::fromLatin1(autosaveName));
    // Right click offers the menu in both styles; some trays hide an item without a menu.
    m_statusItem.setContextMenu(m_systemMenu.menu());
    connectMenuActions();
    // A button that appears late, or anew after the tray restarted, gets the style's menu or action.
    connect(&m_statusItem, &StatusItem::buttonChanged, this, [this] {
        m_appliedStyle.reset();
        syncFromStore();
    });
    observeApplicationFocus();
    observeStore();
    observeMetricsStore();
    observeNoticeStore();
    syncFromStore();
}

StatusBarController::~StatusBarController()
{
    // The popover's content withdraws its surface as it goes; closing first keeps that in order.
    if (m_popover) {
        m_popover->disconnect(this);
        m_popover->performClose();
    }
}

void StatusBarController::connectMenuActions()
{
    QMenu *menu = m_systemMenu.menu();
    connect(menu, &QMenu::aboutToShow, this, &StatusBarController::menuWillOpen);
    connect(menu, &QMenu::aboutToHide, this, &StatusBarController::menuDidClose);
    const auto route = [this](void (SystemStatusMenu::*signal)(), void (StatusBarController::*action)()) {
        connect(&m_systemMenu, signal, this, action);
    };
    route(&SystemStatusMenu::refreshQuotaRequested, &StatusBarController::refreshQuota);
    route(&SystemStatusMenu::refreshSystemMetricsRequested, &StatusBarController::refreshSystemMetrics);
    route(&SystemStatusMenu::showUsageAnalyticsRequested, &StatusBarController::showUsageAnalytics);
    route(&SystemStatusMenu::toggleLaunchAtLoginRequested, &StatusBarController::toggleLaunchAtLogin);
    route(&SystemStatusMenu::openLoginItemsSettingsRequested, &StatusBarController::openLoginItemsSettings);
    route(&SystemStatusMenu::switchStyleRequested, &StatusBarController::switchPanelStyle);
    route(&SystemStatusMenu::showModuleSettingsRequested, &StatusBarController::showModuleSettings);
    route(&SystemStatusMenu::quitRequested, &StatusBarController::quitApplication);
}

void StatusBarController::observeApplicationFocus()
{
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!application)
        return;
    connect(application, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            return;
        queue(this, [this] {
            closePopover();
            m_statusItem.highlight(false);
        });
    });
}

void StatusBarController::observeStore()
{
    connect(&m_store, &QuotaStore::objectWillChange, this, [this] {
        if (m_storeSyncScheduled)
            return;
        m_storeSyncScheduled = true;
        queue(this, [this] {
            m_storeSyncScheduled = false;
            syncFromStore();
        });
    });
}

void StatusBarController::observeMetricsStore()
{
    // A sample publishes several properties in one turn; the rows and the tool tip follow once.
    connect(&m_metricsStore, &SystemMetricsStore::objectWillChange, this, [this] {
        if (m_metricsSyncScheduled)
            return;
        m_metricsSyncScheduled = true;
        queue(this, [this] {
            m_metricsSyncScheduled = false;
            m_systemMenu.updateMetricsItems(m_metricsStore);
            updateStatusItemMetadata();
            Q_EMIT metricsSynced();
        });
    });
}

void StatusBarController::observeNoticeStore()
{
    if (!m_services.noticeStore)
        return;
    // While the menu is open its reset-hint rows follow every published notice state.
    connect(m_services.noticeStore, &QuotaNoticeStore::stateChanged, this, [this] {
        queue(this, [this] {
            if (m_isSystemMenuVisible)
                updateInsightItems();
        });
    });
}

void StatusBarController::syncFromStore()
{
    updateStatusItem();
    if (m_isSystemMenuVisible)
        updateSystemMenuItems();
    m_metricsStore.setVisible(m_isSystemMenuVisible &&
                                  m_store.visibleModules().contains(QuotaModule::systemMetrics),
                              systemMenuSurfaceID());
    applyPanelStyleIfNeeded();
    Q_EMIT synced();
}

void StatusBarController::updateStatusItem()
{
    if (!m_statusItem.hasButton())
        return;
    const auto &snapshot = m_store.snapshot();
    m_statusItem.setTitle(QString::fromStdString(StatusItemQuotaText::title(
        snapshot ? snapshot->fiveHour() : std::nullopt, snapshot ? snapshot->weekly() : std::nullopt)));
    m_statusItem.setAlpha(m_store.isStale() ? staleAlpha : 1.0);
    updateStatusItemMetadata();
}

void StatusBarController::updateStatusItemMetadata()
{
    if (!m_statusItem.hasButton())
        return;
    const auto &snapshot = m_store.snapshot();
    const bool isStale = m_store.isStale();
    QString value = QString::fromStdString(StatusItemMetadataFormatter::accessibilityValue(
        snapshot ? snapshot->fiveHour() : std::nullopt, snapshot ? snapshot->weekly() : std::nullopt,
        isStale));
    const bool showsMetrics = m_store.visibleModules().contains(QuotaModule::systemMetrics);
    if (showsMetrics)
        value += QStringLiteral(" · ") +
                 StatusMenuModel::temperatureSummary(m_metricsStore.snapshot(), m_metricsStore.isStale());
    if (resetRemindersEnabled() && m_store.visibleModules().contains(QuotaModule::resetHints)) {
        const auto hint = QuotaResetHint::next(snapshot, isStale, m_services.clock());
        if (hint.isImminent)
            value += QStringLiteral(" · ") + QString::fromStdString(hint.title);
    }
    m_statusItem.setToolTip(QStringLiteral("Pulse Grove · ") + value);
    m_statusItem.setAccessibilityLabel(showsMetrics ? text("Codex 额度与本机状态") : text("Codex 额度"));
    m_statusItem.setAccessibilityValue(value);
}

void StatusBarController::updateSystemMenuItems()
{
    m_systemMenu.updateItems(m_store, m_metricsStore, m_services.clock());
    updateInsightItems();
}

void StatusBarController::updateInsightItems()
{
    const Date now = m_services.clock();
    m_systemMenu.updateInsightItems(
        m_services.insightsCatalog, QuotaResetHint::next(m_store.snapshot(), m_store.isStale(), now),
        m_services.noticeStore ? m_services.noticeStore->stateFor(now) : QuotaNoticeState{});
}

void StatusBarController::applyPanelStyleIfNeeded()
{
    if (m_appliedStyle == m_store.panelStyle())
        return;
    m_appliedStyle = m_store.panelStyle();
    if (!m_statusItem.hasButton())
        return;
    if (*m_appliedStyle == QuotaPanelStyle::system) {
        closePopover();
        m_statusItem.highlight(false);
        m_statusItem.setAction({});
        m_statusItem.setMenu(m_systemMenu.menu());
    } else {
        m_statusItem.setMenu(nullptr);
        m_statusItem.setAction([this] { toggleDashboardPopover(); });
    }
}

bool StatusBarController::resetRemindersEnabled() const
{
    return m_services.defaults &&
           m_services.defaults->boolValue(PulsegrovePreferenceKeys::resetReminders).value_or(false);
}

// ---- Popover

qreal StatusBarController::screenHeightLimit() const
{
    return PopoverGeometry::heightLimit(m_services.screenVisibleHeight ? m_services.screenVisibleHeight()
                                                                       : std::nullopt);
}

void StatusBarController::toggleDashboardPopover()
{
    if (m_store.panelStyle() != QuotaPanelStyle::dashboard || !m_statusItem.hasButton())
        return;
    if (isPopoverShown()) {
        closePopover();
        m_statusItem.highlight(false);
    } else {
        showDashboardPopover();
    }
}

void StatusBarController::showDashboardPopover()
{
    if (m_store.panelStyle() != QuotaPanelStyle::dashboard || !m_statusItem.hasButton())
        return;
    if (m_quotaSurfaceWillPresent)
        m_quotaSurfaceWillPresent();
    m_store.refreshLaunchAtLoginState();
    m_store.refresh(false);
    m_statusItem.highlight(true);
    const qreal limit = screenHeightLimit();
    if (PopoverGeometry::needsRebuild(popover().content() != nullptr, limit,
                                      m_configuredPopoverMaximumHeight))
        configurePopover(limit);
    sizePopover(screenHeightLimit());
    if (!popover().isShown())
        popover().showAt(m_statusItem.popupAnchor());
}

void StatusBarController::configurePopover(std::optional<qreal> maximumHeight)
{
    m_configuredPopoverMaximumHeight = maximumHeight.value_or(screenHeightLimit());
    m_popoverSurfaceID = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QPointer<StatusBarController> self(this);
    auto onPreferredHeightChange = [self](qreal height) {
        if (!self)
            return;
        self->m_preferredPopoverHeight = height;
        self->sizePopover(self->screenHeightLimit());
    };
    QWidget *content =
        m_services.panelFactory
            ? m_services.panelFactory(m_store, m_metricsStore, m_configuredPopoverMaximumHeight,
                                      *m_popoverSurfaceID, std::move(onPreferredHeightChange))
            : nullptr;
    popover().setContent(content);
    sizePopover(screenHeightLimit());
}

void StatusBarController::sizePopover(qreal heightLimit)
{
    const QSizeF target = PopoverGeometry::targetSize(heightLimit, m_preferredPopoverHeight);
    if (PopoverGeometry::needsResize(popover().contentSize(), target))
        popover().setContentSize(target.toSize());
}

StatusPopover &StatusBarController::popover()
{
    if (!m_popover) {
        m_popover = std::make_unique<StatusPopover>(m_statusItem.popupPlacement());
        connect(m_popover.get(), &StatusPopover::didClose, this, &StatusBarController::popoverDidClose);
    }
    return *m_popover;
}

void StatusBarController::closePopover()
{
    if (m_popover)
        m_popover->performClose();
}

void StatusBarController::popoverDidClose()
{
    m_statusItem.highlight(false);
    if (m_popoverSurfaceID) {
        m_store.setSurfaceVisible(false, *m_popoverSurfaceID);
        m_metricsStore.setVisible(false, *m_popoverSurfaceID);
    }
    m_popoverSurfaceID.reset();
    if (QWidget *content = m_popover->content())
        connect(content, &QObject::destroyed, this, &StatusBarController::releaseClosedPopover,
                Qt::QueuedConnection);
    else
        queue(this, [this] { releaseClosedPopover(); });
    m_popover->setContent(nullptr);
}

void StatusBarController::releaseClosedPopover()
{
    // Opened again in the meantime: the caches serve the new panel.
    if (!m_popover || m_popover->isShown())
        return;
    m_popover.reset();
    ClosedSurfaceMemory::release();
}

// ---- Native menu

void StatusBarController::menuWillOpen()
{
    m_isSystemMenuVisible = true;
    m_store.setSurfaceVisible(true, systemMenuSurfaceID());
    m_metricsStore.setVisible(m_store.visibleModules().contains(QuotaModule::systemMetrics),
                              systemMenuSurfaceID());
    if (m_services.noticeStore)
        m_services.noticeStore->setVisible(m_store.visibleModules().contains(QuotaModule::resetHints));
    if (m_quotaSurfaceWillPresent)
        m_quotaSurfaceWillPresent();
    m_store.refreshLaunchAtLoginState();
    updateSystemMenuItems();
    m_store.refresh(false);
}

void StatusBarController::menuDidClose()
{
    m_isSystemMenuVisible = false;
    m_store.setSurfaceVisible(false, systemMenuSurfaceID());
    m_metricsStore.setVisible(false, systemMenuSurfaceID());
    if (m_services.noticeStore)
        m_services.noticeStore->setVisible(false);
}

void StatusBarController::showSystemMenuFromPreview(QWidget *button)
{
    if (m_store.panelStyle() != QuotaPanelStyle::system)
        m_store.setPanelStyle(QuotaPanelStyle::system, false);
    syncFromStore();
    if (button)
        m_systemMenu.menu()->popup(
            button->mapToGlobal(QPoint(0, button->height() + PopoverGeometry::anchorGap)));
}

// ---- Actions

void StatusBarController::closeQuotaSurfaces()
{
    m_systemMenu.menu()->hide();
    closePopover();
    m_statusItem.highlight(false);
}

void StatusBarController::refreshQuota()
{
    m_store.refresh(true);
}

void StatusBarController::refreshSystemMetrics()
{
    m_metricsStore.refresh(true);
}

void StatusBarController::toggleLaunchAtLogin()
{
    m_store.setLaunchAtLogin(!m_store.launchAtLogin());
}

void StatusBarController::openLoginItemsSettings()
{
    if (m_store.allowsSystemSettings() && m_services.loginItem)
        m_services.loginItem->openSystemSettingsLoginItems();
}

void StatusBarController::switchPanelStyle()
{
    m_systemMenu.menu()->hide();
    const QuotaPanelStyle target = StatusMenuModel::styleSwitch(m_store.panelStyle()).target;
    queue(this, [this, target] { m_store.setPanelStyle(target, true); });
}

void StatusBarController::showModuleSettings()
{
    closeSurfacesThenRequest(&QuotaStore::moduleSettingsRequestHandler);
}

void StatusBarController::showUsageAnalytics()
{
    closeSurfacesThenRequest(&QuotaStore::usageAnalyticsRequestHandler);
}

void StatusBarController::closeSurfacesThenRequest(std::function<void()> QuotaStore::*handler)
{
    m_systemMenu.menu()->hide();
    closePopover();
    // The handler is read when it runs: the application may set it at any time.
    queue(this, [this, handler] {
        if (m_store.*handler)
            (m_store.*handler)();
    });
}

void StatusBarController::quitApplication()
{
    if (m_services.quitApplication)
        m_services.quitApplication();
}

} // namespace pulsegrove
