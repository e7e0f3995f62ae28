#include "analytics/CodexUsageAnalyticsService.h"

#include <QPromise>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace pulsegrove {

namespace {

// One low-priority worker for every report load of the process; destroyed at exit after waiting
// for a load still running.
QThreadPool *analyticsPool()
{
    static QThreadPool pool;
    static const bool configured = [] {
        pool.setMaxThreadCount(1);
        pool.setThreadPriority(QThread::LowPriority);
        return true;
    }();
    Q_UNUSED(configured);
    return &pool;
}

void buildReport(QPromise<UsageDashboardReport> &promise,
                 const CodexUsageAnalyticsService::ProgressCallback &progress)
{
    if (promise.isCanceled())
        return;
    if (progress)
        progress(UsageScanState{0, 0, true});
    if (promise.isCanceled())
        return;
    promise.addResult(UsageDashboardReport{});
}

} // namespace

QFuture<UsageDashboardReport> CodexUsageAnalyticsService::loadReport(bool forceRebuild,
                                                                     ProgressCallback progress) const
{
    Q_UNUSED(forceRebuild);
    return QtConcurrent::run(analyticsPool(),
                             [progress = std::move(progress)](QPromise<UsageDashboardReport> &promise) {
                                 buildReport(promise, progress);
                             });
}

} // namespace pulsegrove
