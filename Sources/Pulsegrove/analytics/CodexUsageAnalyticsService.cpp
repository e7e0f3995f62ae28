#include "analytics/CodexUsageAnalyticsService.h"

#include <QPromise>
#include <QThread>
#include <QThreadPool>
#include <memory>

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
    // Started by hand rather than with QtConcurrent::run: a future of a queued QtConcurrent task
    // lets whoever waits on it run the task in its own thread, which would put the scan on the
    // main thread at normal priority whenever the worker was idle but not yet woken.
    auto promise = std::make_shared<QPromise<UsageDashboardReport>>();
    QFuture<UsageDashboardReport> future = promise->future();
    promise->start();
    analyticsPool()->start([promise, progress = std::move(progress)] {
        try {
            buildReport(*promise, progress);
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    return future;
}

} // namespace pulsegrove
