#pragma once

#include "statusitem/StatusMenuModel.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <array>
#include <memory>

namespace pulsegrove {

class QuotaStore;
class SystemMetricsStore;

// The rows of the native menu that are kept and updated; the separator after the header, the one
// before the quit row and the quit row are made once and only read.
enum class StatusMenuItem {
    header,
    normalSection,
    fiveHour,
    fiveHourDetail,
    weekly,
    weeklyDetail,
    normalSparkSeparator,
    sparkSection,
    sparkFiveHour,
    sparkFiveHourDetail,
    sparkWeekly,
    sparkWeeklyDetail,
    quotaStatus,
    resetCredits,
    quotaDeviceSeparator,
    deviceSection,
    temperature,
    temperatureDetail,
    cpuUsage,
    memoryUsage,
    modelInsights,
    resetHint,
    actionsSeparator,
    usageAnalytics,
    refresh,
    launchAtLogin,
    loginSettings,
    styleSwitch,
    moduleSettings,
    quit,
};

inline constexpr std::size_t statusMenuItemCount = std::size_t(StatusMenuItem::quit) + 1;

// The native menu of the status item: its layout is made once; its texts, states, submenus and
// visibility are filled in when it opens and whenever the stores change while it is open. Rows
// that act emit the signal of their action.
class SystemStatusMenu final : public QObject {
    Q_OBJECT
public:
    explicit SystemStatusMenu(QObject *parent = nullptr);
    ~SystemStatusMenu() override;

    QMenu *menu() const { return m_menu.get(); }
    QAction *item(StatusMenuItem item) const { return m_items[std::size_t(item)]; }
    QMenu *resetCreditsMenu() const { return m_resetCreditsMenu.get(); }
    QMenu *modelInsightsMenu() const { return m_modelInsightsMenu.get(); }
    QMenu *resetHintMenu() const { return m_resetHintMenu.get(); }

    // The text of an information row at an indentation level; menus have no indentation of their
    // own, so the row begins with a blank of one em per level.
    static QString indented(const QString &text, int level);

    // Every text and state from the stores, then the metrics rows, the insight rows and the
    // visibility.
    void updateItems(const QuotaStore &store, const SystemMetricsStore &metricsStore, Date now);
    void updateResetCreditsItem(const std::optional<RateLimitResetCreditsSummary> &summary, Date now,
                                const StatusMenuModel::TimeZone &zone);
    void updateMetricsItems(const SystemMetricsStore &metricsStore);
    // Rebuilds the model-consumption and reset-hint submenus.
    void updateInsightItems(const std::optional<QuotaInsightsCatalog> &catalog, const QuotaResetHint &hint,
                            const QuotaNoticeState &noticeState);
    void updateModuleVisibility(const QuotaStore &store);

Q_SIGNALS:
    void refreshQuotaRequested();
    void refreshSystemMetricsRequested();
    void showUsageAnalyticsRequested();
    void toggleLaunchAtLoginRequested();
    void openLoginItemsSettingsRequested();
    // The style-switch row, which offers the style that is not the store's.
    void switchStyleRequested();
    void showModuleSettingsRequested();
    void quitRequested();

private:
    void configure();
    QAction *addItem(StatusMenuItem item, const QString &symbol);
    QAction *addTarget(StatusMenuItem item, const QString &symbol, void (SystemStatusMenu::*signal)());
    QAction *addInfo(StatusMenuItem item, const QString &symbol, int indentation);
    QAction *addSeparator(StatusMenuItem item);
    void setInfoTitle(StatusMenuItem item, const QString &title);
    // Empties a submenu, dropping the submenus of its entries too.
    static void clearSubmenu(QMenu &menu);
    static QAction *addRow(QMenu &menu, const QString &text);

    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QMenu> m_resetCreditsMenu;
    std::unique_ptr<QMenu> m_modelInsightsMenu;
    std::unique_ptr<QMenu> m_resetHintMenu;
    std::array<QAction *, statusMenuItemCount> m_items{};
    std::array<int, statusMenuItemCount> m_indentation{};
    // Whether the quota warning row is due, before the module visibility may hide it.
    bool m_quotaStatusShown = false;
};

} // namespace pulsegrove
