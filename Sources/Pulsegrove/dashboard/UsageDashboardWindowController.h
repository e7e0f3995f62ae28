#pragma once

#include "ApplicationActivation.h"
#include "PlatformFactory.h"
#include "analytics/CodexUsageAnalyticsService.h"
#include "analytics/UsageDashboardReport.h"

#include <QFuture>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace pulsegrove {

class UsageDashboardPageView;

// The usage-dashboard window: "Pulse Grove · 本地用量统计", its page, the report it loads and
// the quota rows it keeps current. Escape and Ctrl+W close it. Closing the window cancels a running load, drops the report,
// stops the page and calls the close handler once; the owner then drops the controller.
class UsageDashboardWindowController : public QObject {
    Q_OBJECT

public:
    using ProgressCallback = CodexUsageAnalyticsService::ProgressCallback;
    using ReportLoader =
        std::function<QFuture<UsageDashboardReport>(bool rebuild, ProgressCallback progress)>;
    using QuotaSnapshotProvider = std::function<std::vector<UsageQuotaSnapshot>()>;

    static constexpr int defaultWidth = 1180;
    static constexpr int defaultHeight = 780;
    static constexpr int minimumWidth = 860;
    static constexpr int minimumHeight = 600;

    // Builds the window and its page; shows nothing yet.
    UsageDashboardWindowController(
        ReportLoader reportLoader, QuotaSnapshotProvider quotaSnapshotProvider,
        std::function<void()> closeHandler,
        std::shared_ptr<ApplicationActivation> activation = PlatformFactory::sharedActivation(),
        QObject *parent = nullptr);
    // Cancels a running load; what it still reports afterwards is dropped.
    ~UsageDashboardWindowController() override;

    static QString windowTitle();

    // Refreshes the rows, starts a load when no report is held and none runs, places the window
    // inside the screen's available area when it is new or off screen, and brings it to the front.
    void show();
    // With a report held: replaces its rows with the provider's and sends them to the page.
    void updateQuotaSnapshots();

    QWidget *window() const { return m_window.get(); }
    UsageDashboardPageView *page() const { return m_page; }
    const std::optional<UsageDashboardReport> &report() const { return m_report; }
    bool isLoading() const { return m_loading.has_value(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startLoad(bool rebuild);
    void finishLoad(quint64 generation, const QFuture<UsageDashboardReport> &future);
    void cancelLoad();
    void handleClose();
    void sendToPage(const char *event, const std::string &payload);
    void placeWindow();

    ReportLoader m_reportLoader;
    QuotaSnapshotProvider m_quotaSnapshotProvider;
    std::function<void()> m_closeHandler;
    std::shared_ptr<ApplicationActivation> m_activation;
    std::unique_ptr<QWidget> m_window;
    UsageDashboardPageView *m_page = nullptr;
    bool m_pageReady = false;
    std::optional<UsageDashboardReport> m_report;
    // The running load, if any.
    std::optional<QFuture<UsageDashboardReport>> m_loading;
    quint64 m_loadGeneration = 0;
    bool m_closeHandled = false;
};

} // namespace pulsegrove
