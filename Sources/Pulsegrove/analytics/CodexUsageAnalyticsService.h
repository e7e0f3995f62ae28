#pragma once

#include "analytics/CodexUsageAnalyticsConfiguration.h"
#include "analytics/UsageDashboardReport.h"
#include "analytics/UsageScanState.h"

#include <QFuture>
#include <functional>

namespace pulsegrove {

// Loads the usage report. The application makes one at start and copies it into the dashboard's
// report loader; copies share nothing but the configuration.
class CodexUsageAnalyticsService {
public:
    // Called on the worker thread, so it must be safe to call from any thread.
    using ProgressCallback = std::function<void(const UsageScanState &)>;

    explicit CodexUsageAnalyticsService(CodexUsageAnalyticsConfiguration configuration)
        : m_configuration(std::move(configuration))
    {
    }

    const CodexUsageAnalyticsConfiguration &configuration() const { return m_configuration; }

    // Builds the report on a low-priority worker thread. Cancelling the returned future cancels
    // the load: the future then ends cancelled, without a result. `forceRebuild` asks for the
    // usage index to be rebuilt rather than reused; this build keeps no index, so both loads do
    // the same work. The report's quota rows are left empty: the dashboard fills them in.
    QFuture<UsageDashboardReport> loadReport(bool forceRebuild, ProgressCallback progress) const;

private:
    CodexUsageAnalyticsConfiguration m_configuration;
};

} // namespace pulsegrove
