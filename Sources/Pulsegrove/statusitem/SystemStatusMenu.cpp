#include "statusitem/SystemStatusMenu.h"

#include "insights/QuotaInsightsTexts.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"
#include "views/primitives/SymbolCatalog.h"

#include <QKeySequence>

namespace pulsegrove {

namespace {

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

using Item = StatusMenuItem;

} // namespace

SystemStatusMenu::SystemStatusMenu(QObject *parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>(QStringLiteral("Pulse Grove"))),
      m_resetCreditsMenu(std::make_unique<QMenu>(text("重置次数"))),
      m_modelInsightsMenu(std::make_unique<QMenu>(QuotaInsightsTexts::modelConsumptionTitle())),
      m_resetHintMenu(std::make_unique<QMenu>(QuotaInsightsTexts::resetHintTitle()))
{
    configure();
}

SystemStatusMenu::~SystemStatusMenu() = default;

QString SystemStatusMenu::indented(const QString &title, int level)
{
    return QString(level, QChar(0x2003)) + title;
}

QAction *SystemStatusMenu::addItem(StatusMenuItem item, const QString &symbol)
{
    QAction *action = m_menu->addAction(QString());
    if (!symbol.isEmpty())
        action->setIcon(SymbolCatalog::icon(symbol));
    m_items[std::size_t(item)] = action;
    return action;
}

QAction *SystemStatusMenu::addTarget(StatusMenuItem item, const QString &symbol,
                                     void (SystemStatusMenu::*signal)())
{
    QAction *action = addItem(item, symbol);
    connect(action, &QAction::triggered, this, signal);
    return action;
}

QAction *SystemStatusMenu::addInfo(StatusMenuItem item, const QString &symbol, int indentation)
{
    QAction *action = addItem(item, symbol);
    action->setEnabled(false);
    m_indentation[std::size_t(item)] = indentation;
    return action;
}

QAction *SystemStatusMenu::addSeparator(StatusMenuItem item)
{
    QAction *action = m_menu->addSeparator();
    m_items[std::size_t(item)] = action;
    return action;
}

void SystemStatusMenu::setInfoTitle(StatusMenuItem item, const QString &title)
{
    this->item(item)->setText(indented(StatusMenuModel::actionText(title), m_indentation[std::size_t(item)]));
}

void SystemStatusMenu::configure()
{
    const auto refresh = &SystemStatusMenu::refreshQuotaRequested;
    const auto sample = &SystemStatusMenu::refreshSystemMetricsRequested;
    addTarget(Item::header, QStringLiteral("bolt.horizontal.circle.fill"), refresh);
    m_menu->addSeparator();
    addInfo(Item::normalSection, QStringLiteral("bolt.circle"), 0);
    addTarget(Item::fiveHour, QStringLiteral("clock"), refresh);
    addInfo(Item::fiveHourDetail, {}, 1);
    addTarget(Item::weekly, QStringLiteral("calendar"), refresh);
    addInfo(Item::weeklyDetail, {}, 1);
    addSeparator(Item::normalSparkSeparator);
    addInfo(Item::sparkSection, QStringLiteral("sparkles"), 0);
    addTarget(Item::sparkFiveHour, QStringLiteral("clock"), refresh);
    addInfo(Item::sparkFiveHourDetail, {}, 1);
    addTarget(Item::sparkWeekly, QStringLiteral("calendar"), refresh);
    addInfo(Item::sparkWeeklyDetail, {}, 1);
    addInfo(Item::quotaStatus, QStringLiteral("exclamationmark.triangle"), 1);
    addItem(Item::resetCredits, QStringLiteral("arrow.counterclockwise.circle"))
        ->setMenu(m_resetCreditsMenu.get());
    addSeparator(Item::quotaDeviceSeparator);
    addInfo(Item::deviceSection, QStringLiteral("laptopcomputer"), 0);
    addTarget(Item::temperature, QStringLiteral("thermometer.medium"), sample);
    addInfo(Item::temperatureDetail, {}, 1);
    addTarget(Item::cpuUsage, QStringLiteral("cpu"), sample);
    addTarget(Item::memoryUsage, QStringLiteral("memorychip"), sample);
    QAction *modelInsights = addItem(Item::modelInsights, QStringLiteral("chart.bar.xaxis"));
    modelInsights->setText(QuotaInsightsTexts::modelConsumptionTitle());
    modelInsights->setMenu(m_modelInsightsMenu.get());
    addItem(Item::resetHint, QStringLiteral("clock.badge.exclamationmark"))->setMenu(m_resetHintMenu.get());
    addSeparator(Item::actionsSeparator);
    addTarget(Item::usageAnalytics, QStringLiteral("chart.xyaxis.line"),
              &SystemStatusMenu::showUsageAnalyticsRequested);
    addTarget(Item::refresh, QStringLiteral("arrow.clockwise"), refresh)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    addTarget(Item::launchAtLogin, QStringLiteral("sunrise"), &SystemStatusMenu::toggleLaunchAtLoginRequested)
        ->setCheckable(true);
    addTarget(Item::loginSettings, QStringLiteral("gear"),
              &SystemStatusMenu::openLoginItemsSettingsRequested);
    addTarget(Item::styleSwitch, {}, &SystemStatusMenu::switchStyleRequested);
    addTarget(Item::moduleSettings, QStringLiteral("slider.horizontal.3"),
              &SystemStatusMenu::showModuleSettingsRequested);
    m_menu->addSeparator();
    QAction *quit = addTarget(Item::quit, QStringLiteral("power"), &SystemStatusMenu::quitRequested);
    quit->setText(text("退出 Pulse Grove"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void SystemStatusMenu::updateItems(const QuotaStore &store, const SystemMetricsStore &metricsStore, Date now)
{
    const auto &snapshot = store.snapshot();
    const bool isStale = store.isStale();
    const auto zone = SystemTimeZone::current(Environment::current());
    item(Item::header)->setText(StatusMenuModel::actionText(StatusMenuModel::headerTitle(snapshot, isStale)));
    setInfoTitle(Item::normalSection, text("Codex 常规额度"));

    const auto setQuotaRows = [&](Item row, Item detail, const QString &label,
                                  const std::optional<RateLimitWindow> &window) {
        const auto rows = StatusMenuModel::quotaRows(label, window, now, zone);
        item(row)->setText(StatusMenuModel::actionText(rows.title));
        setInfoTitle(detail, rows.detail);
    };
    const std::optional<RateLimitSnapshot> noSpark;
    const auto &spark = snapshot ? snapshot->spark() : noSpark;
    setQuotaRows(Item::fiveHour, Item::fiveHourDetail, StatusMenuModel::fiveHourLabel(),
                 snapshot ? snapshot->fiveHour() : std::nullopt);
    setQuotaRows(Item::weekly, Item::weeklyDetail, StatusMenuModel::weeklyLabel(),
                 snapshot ? snapshot->weekly() : std::nullopt);
    setInfoTitle(Item::sparkSection, StatusMenuModel::sparkSectionTitle(spark));
    setQuotaRows(Item::sparkFiveHour, Item::sparkFiveHourDetail, StatusMenuModel::fiveHourLabel(),
                 spark ? spark->fiveHourWindow() : std::nullopt);
    setQuotaRows(Item::sparkWeekly, Item::sparkWeeklyDetail, StatusMenuModel::weeklyLabel(),
                 spark ? spark->weeklyWindow() : std::nullopt);

    const auto quotaStatus =
        StatusMenuModel::quotaStatusTitle(store.errorMessage().has_value(), isStale, snapshot.has_value());
    m_quotaStatusShown = quotaStatus.has_value();
    if (quotaStatus)
        setInfoTitle(Item::quotaStatus, *quotaStatus);
    item(Item::quotaStatus)->setVisible(m_quotaStatusShown);

    updateResetCreditsItem(snapshot ? snapshot->resetCredits() : std::nullopt, now, zone);

    QAction *refresh = item(Item::refresh);
    refresh->setText(StatusMenuModel::refreshTitle(store.isRefreshing()));
    refresh->setEnabled(!store.isRefreshing());
    QAction *launchAtLogin = item(Item::launchAtLogin);
    launchAtLogin->setText(StatusMenuModel::launchAtLoginTitle(store.launchAtLoginNeedsApproval()));
    launchAtLogin->setChecked(store.launchAtLogin());
    launchAtLogin->setEnabled(store.canManageLaunchAtLogin());
    item(Item::loginSettings)->setText(text("打开自启动设置…"));
    item(Item::loginSettings)->setVisible(store.launchAtLoginNeedsApproval());
    const auto styleSwitch = StatusMenuModel::styleSwitch(store.panelStyle());
    if (item(Item::styleSwitch)->text() != styleSwitch.title) {
        item(Item::styleSwitch)->setText(styleSwitch.title);
        item(Item::styleSwitch)->setIcon(SymbolCatalog::icon(styleSwitch.symbol));
    }
    item(Item::moduleSettings)->setText(text("界面与模块设置…"));
    item(Item::usageAnalytics)->setText(text("本地用量统计…"));

    updateMetricsItems(metricsStore);
    updateModuleVisibility(store);
}

void SystemStatusMenu::updateResetCreditsItem(const std::optional<RateLimitResetCreditsSummary> &summary,
                                              Date now, const StatusMenuModel::TimeZone &zone)
{
    m_resetCreditsMenu->clear();
    const auto credits = StatusMenuModel::resetCredits(summary, now, zone);
    item(Item::resetCredits)->setText(credits.title);
    for (const auto &row : credits.rows) {
        if (row.separatorBefore)
            m_resetCreditsMenu->addSeparator();
        QAction *action = addRow(*m_resetCreditsMenu, row.text);
        if (!row.symbol.isEmpty())
            action->setIcon(SymbolCatalog::icon(row.symbol));
    }
}

void SystemStatusMenu::updateMetricsItems(const SystemMetricsStore &metricsStore)
{
    const auto rows = StatusMenuModel::metricsRows(metricsStore.snapshot(), metricsStore.isStale());
    setInfoTitle(Item::deviceSection, text("本机状态 · 查看时每 5 秒更新"));
    item(Item::temperature)->setText(rows.temperature);
    setInfoTitle(Item::temperatureDetail, rows.temperatureDetail);
    item(Item::cpuUsage)->setText(rows.cpuUsage);
    item(Item::memoryUsage)->setText(rows.memory);
}

QAction *SystemStatusMenu::addRow(QMenu &menu, const QString &text)
{
    QAction *row = menu.addAction(StatusMenuModel::actionText(text));
    row->setEnabled(false);
    return row;
}

void SystemStatusMenu::clearSubmenu(QMenu &menu)
{
    const auto actions = menu.actions();
    for (QAction *action : actions)
        if (QMenu *submenu = action->menu()) {
            submenu->hide();
            submenu->deleteLater();
        }
    menu.clear();
}

void SystemStatusMenu::updateInsightItems(const std::optional<QuotaInsightsCatalog> &catalog,
                                          const QuotaResetHint &hint, const QuotaNoticeState &noticeState)
{
    // Refilled in place rather than replaced, so a submenu that is open stays open with the new rows.
    clearSubmenu(*m_modelInsightsMenu);
    const auto insights = StatusMenuModel::modelInsights(catalog);
    addRow(*m_modelInsightsMenu, insights.explanation);
    for (const auto &model : insights.models) {
        const QString name = StatusMenuModel::actionText(model.name);
        auto *modelMenu = new QMenu(name, m_modelInsightsMenu.get());
        for (const QString &row : model.rows)
            addRow(*modelMenu, row);
        m_modelInsightsMenu->addAction(name)->setMenu(modelMenu);
    }
    if (insights.verifiedDate)
        addRow(*m_modelInsightsMenu, *insights.verifiedDate);

    item(Item::resetHint)->setText(StatusMenuModel::actionText(QString::fromStdString(hint.title)));
    clearSubmenu(*m_resetHintMenu);
    addRow(*m_resetHintMenu, QString::fromStdString(hint.detail));
    m_resetHintMenu->addSeparator();
    for (const QString &row : StatusMenuModel::noticeRows(noticeState))
        addRow(*m_resetHintMenu, row);
}

void SystemStatusMenu::updateModuleVisibility(const QuotaStore &store)
{
    const auto shown =
        StatusMenuModel::visibility(store.snapshot(), store.visibleModules(), m_quotaStatusShown);
    const std::pair<Item, bool> rows[] = {
        {Item::normalSection, shown.normalSection},
        {Item::fiveHour, shown.fiveHour},
        {Item::fiveHourDetail, shown.fiveHour},
        {Item::weekly, shown.weekly},
        {Item::weeklyDetail, shown.weekly},
        {Item::sparkSection, shown.sparkSection},
        {Item::sparkFiveHour, shown.sparkFiveHour},
        {Item::sparkFiveHourDetail, shown.sparkFiveHour},
        {Item::sparkWeekly, shown.sparkWeekly},
        {Item::sparkWeeklyDetail, shown.sparkWeekly},
        {Item::quotaStatus, shown.quotaStatus},
        {Item::resetCredits, shown.resetCredits},
        {Item::modelInsights, shown.modelInsights},
        {Item::resetHint, shown.resetHint},
        {Item::deviceSection, shown.metrics},
        {Item::temperature, shown.metrics},
        {Item::temperatureDetail, shown.metrics},
        {Item::cpuUsage, shown.metrics},
        {Item::memoryUsage, shown.metrics},
        {Item::normalSparkSeparator, shown.normalSparkSeparator},
        {Item::quotaDeviceSeparator, shown.quotaDeviceSeparator},
        {Item::actionsSeparator, shown.actionsSeparator},
    };
    for (const auto &[row, visible] : rows)
        item(row)->setVisible(visible);
}

} // namespace pulsegrove
