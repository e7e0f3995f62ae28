#include "FakeApplicationActivation.h"
#include "FakeCodex.h"
#include "FakeLoginItemService.h"
#include "FakeTrayHost.h"
#include "FakeWorkspace.h"
#include "RecordingSystemLog.h"
#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"
#include "ViewBenchmarkSupport.h"
#include "insights/QuotaResetHint.h"
#include "quota/GetAccountRateLimitsResponse.h"
#include "statusitem/StatusBarController.h"
#include "statusitem/StatusItemIconRenderer.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

namespace {

using namespace pulsegrove;
using pulsegrove::testing::FakeCodex;

// The controller over stores holding a full quota, on a tray that is always there; its clock
// can be moved so that the quota turns stale and fresh again.
class ControllerFixture {
public:
    ControllerFixture()
    {
        m_store = std::make_unique<QuotaStore>(
            CodexRateLimitClient(m_codex.environment()),
            std::make_shared<QuotaCache>(std::filesystem::path()), m_defaults, false,
            PlatformServices{&m_workspace, std::make_shared<FakeLoginItemService>(),
                             std::make_shared<RecordingSystemLog>(),
                             std::make_shared<FakeApplicationActivation>(),
                             MainBundle("/opt/Pulsegrove.app/bin/pulsegrove")},
            [this] { return m_now; });
        const QFuture<void> done = m_store->refresh(true);
        while (!done.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        StatusBarController::Services services;
        services.trayHost = &m_tray;
        services.log = std::make_shared<RecordingSystemLog>();
        services.defaults = m_defaults;
        services.clock = [this] { return m_now; };
        services.screenVisibleHeight = [] { return std::optional<qreal>(1000); };
        m_controller = std::make_unique<StatusBarController>(
            *m_store, m_metrics, [] {}, services);
        QCoreApplication::processEvents();
    }

    QuotaStore &store() { return *m_store; }
    SystemMetricsStore &metrics() { return m_metrics; }
    StatusBarController &controller() { return *m_controller; }
    // Moves the clock across the 900 s staleness line and back.
    void toggleStaleness() { m_now = m_now.addingSeconds(m_isAhead ? -1000 : 1000), m_isAhead = !m_isAhead; }

private:
    pulsegrove::testing::TemporaryDirectory m_home;
    pulsegrove::testing::ScopedEnvironmentVariable m_config{"XDG_CONFIG_HOME",
                                                            (m_home.path() / "config").string()};
    std::shared_ptr<UserDefaults> m_defaults = std::make_shared<UserDefaults>(
        UserDefaults::standardSuiteName,
        Environment({{"XDG_CONFIG_HOME", (m_home.path() / "config").string()}}));
    Date m_now = Date::now();
    bool m_isAhead = false;
    FakeWorkspace m_workspace;
    FakeTrayHost m_tray;
    FakeCodex m_codex{FakeCodex::answering(benchmarking::fullQuotaAnswer(37))};
    std::unique_ptr<QuotaStore> m_store;
    SystemMetricsStore m_metrics{nullptr, &m_workspace};
    std::unique_ptr<StatusBarController> m_controller;
};

// Drawing a title into the six tray pixmaps, as each change of title or dimming does.
void drawTitleIntoTrayPixmaps(benchmark::State &state)
{
    const QString titles[] = {QStringLiteral("58%"), QStringLiteral("100%")};
    std::size_t index = 0;
    for (auto _ : state) {
        const QIcon icon = StatusItemIconRenderer::icon(titles[index++ % 2], 1.0);
        benchmark::DoNotOptimize(icon.cacheKey());
    }
}
BENCHMARK(drawTitleIntoTrayPixmaps)->Unit(benchmark::kMicrosecond);

// One sync after a store announced a change: title, dimming, tool tip and style, with nothing
// that the tray must redraw (the common case: a refresh that brings the same numbers).
void storeDrivenSyncWithoutChange(benchmark::State &state)
{
    ControllerFixture fixture;
    for (auto _ : state) {
        Q_EMIT fixture.store().objectWillChange();
        QCoreApplication::sendPostedEvents(&fixture.controller(), QEvent::MetaCall);
    }
}
BENCHMARK(storeDrivenSyncWithoutChange)->Unit(benchmark::kMicrosecond);

// The same sync when the quota turned stale or fresh again, so the dimmed title is drawn anew.
void storeDrivenSyncThatRedrawsTheTitle(benchmark::State &state)
{
    ControllerFixture fixture;
    for (auto _ : state) {
        fixture.toggleStaleness();
        Q_EMIT fixture.store().objectWillChange();
        QCoreApplication::sendPostedEvents(&fixture.controller(), QEvent::MetaCall);
    }
}
BENCHMARK(storeDrivenSyncThatRedrawsTheTitle)->Unit(benchmark::kMicrosecond);

// Every text, state, submenu and visibility of the native menu as it opens, for a full quota.
void rebuildMenuTextsOnOpen(benchmark::State &state)
{
    ControllerFixture fixture;
    SystemStatusMenu &menu = fixture.controller().systemMenu();
    QuotaInsightsCatalog catalog;
    catalog.verifiedAt = QStringLiteral("2026-03-01");
    for (int index = 0; index < 8; ++index)
        catalog.models.append(
            {QString::number(index), QStringLiteral("GPT-5.%1").arg(index), 1.25, 0.125, 10, 2});
    for (auto _ : state) {
        const Date now = Date::now();
        menu.updateItems(fixture.store(), fixture.metrics(), now);
        menu.updateInsightItems(catalog, QuotaResetHint::next(fixture.store().snapshot(), false, now),
                                QuotaNoticeState{});
        // The submenus of the models replaced last time are deleted in the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(rebuildMenuTextsOnOpen)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return pulsegrove::benchmarking::runBenchmarksInApplication(argc, argv);
}
