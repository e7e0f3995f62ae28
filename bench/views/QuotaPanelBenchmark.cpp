#include "FakeApplicationActivation.h"
#include "FakeCodex.h"
#include "FakeLoginItemService.h"
#include "FakeWorkspace.h"
#include "RecordingSystemLog.h"
#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"
#include "ViewBenchmarkSupport.h"
#include "quota/GetAccountRateLimitsResponse.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"
#include "views/panel/QuotaPanelView.h"

#include <QApplication>
#include <QImage>
#include <QLayout>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace {

using namespace pulsegrove;
using pulsegrove::testing::FakeCodex;

// A quota store on a private home whose codex answers with a full quota, refreshed once.
class PanelFixture {
public:
    PanelFixture()
    {
        m_store = makeStore(m_codex);
        refresh(*m_store);
        m_metrics.setPollingInterval(std::chrono::hours(1));
    }

    static void refresh(QuotaStore &store)
    {
        const QFuture<void> done = store.refresh(true);
        while (!done.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QuotaStore &store() { return *m_store; }
    // What the codex answers from its next start on.
    void setAnswer(const std::string &answer)
    {
        std::ofstream script(std::filesystem::path(m_codex.path()).parent_path() / "codex.script",
                             std::ios::trunc);
        for (const std::string &command : FakeCodex::answering(answer))
            script << command << '\n';
    }
    SystemMetricsStore &metrics() { return m_metrics; }

private:
    std::unique_ptr<QuotaStore> makeStore(const FakeCodex &codex)
    {
        return std::make_unique<QuotaStore>(
            CodexRateLimitClient(codex.environment()), std::make_shared<QuotaCache>(std::filesystem::path()),
            std::make_shared<UserDefaults>(
                UserDefaults::standardSuiteName,
                Environment({{"XDG_CONFIG_HOME", (m_home.path() / "config").string()}})),
            false,
            PlatformServices{&m_workspace, std::make_shared<FakeLoginItemService>(),
                             std::make_shared<RecordingSystemLog>(),
                             std::make_shared<FakeApplicationActivation>(),
                             MainBundle("/opt/Pulsegrove.app/bin/pulsegrove")});
    }

    pulsegrove::testing::TemporaryDirectory m_home;
    pulsegrove::testing::ScopedEnvironmentVariable m_config{"XDG_CONFIG_HOME",
                                                            (m_home.path() / "theme").string()};
    FakeWorkspace m_workspace;
    FakeCodex m_codex{FakeCodex::answering(benchmarking::fullQuotaAnswer(37))};
    std::unique_ptr<QuotaStore> m_store;
    SystemMetricsStore m_metrics{nullptr, &m_workspace};
};

void layOut(QuotaPanelView &panel)
{
    panel.measureNow();
    panel.layout()->activate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// Building the whole panel for a full quota and laying it out at its measured height, as the
// status item does each time the popover opens.
void buildAndLayOutFullPanel(benchmark::State &state)
{
    PanelFixture fixture;
    for (auto _ : state) {
        QuotaPanelView panel(fixture.store(), fixture.metrics(), 640, QStringLiteral("bench"), [](qreal) {});
        layOut(panel);
        benchmark::DoNotOptimize(panel.preferredHeight());
    }
}
BENCHMARK(buildAndLayOutFullPanel)->Unit(benchmark::kMillisecond);

// One update of an open panel after the store published a new snapshot: the changed cards are
// rebuilt, the sections measured again and the whole panel painted once. The refresh that brings
// the snapshot (a codex exchange) is outside the measured time.
void repaintAfterSnapshotChange(benchmark::State &state)
{
    PanelFixture fixture;
    QuotaStore &store = fixture.store();
    QuotaPanelView panel(store, fixture.metrics(), 640, QStringLiteral("bench"), [](qreal) {});
    panel.show();
    QCoreApplication::processEvents();
    std::int64_t used = 37;
    for (auto _ : state) {
        state.PauseTiming();
        // The store reads the next, different answer while its signals are held back.
        used = used == 37 ? 52 : 37;
        fixture.setAnswer(benchmarking::fullQuotaAnswer(used));
        store.blockSignals(true);
        PanelFixture::refresh(store);
        store.blockSignals(false);
        state.ResumeTiming();
        Q_EMIT store.snapshotChanged();
        QCoreApplication::sendPostedEvents(&panel, QEvent::MetaCall);
        layOut(panel);
        panel.repaint();
    }
}
BENCHMARK(repaintAfterSnapshotChange)->Unit(benchmark::kMillisecond)->Iterations(30);

// Repaints of an open panel with nothing changed, as the compositor asks for them. The file
// calls made between the two marks below are what bench/panel-repaint-file-calls.sh counts.
void repaintOpenPanel(benchmark::State &state)
{
    PanelFixture fixture;
    QuotaPanelView panel(fixture.store(), fixture.metrics(), 640, QStringLiteral("bench"), [](qreal) {});
    panel.show();
    layOut(panel);
    // Drawn into an image: the offscreen platform would skip a repaint of a window it never exposed.
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    panel.render(&image);
    ::access("/pulsegrove-bench-repaints-begin", F_OK);
    for (auto _ : state)
        panel.render(&image);
    ::access("/pulsegrove-bench-repaints-end", F_OK);
}
BENCHMARK(repaintOpenPanel)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

int main(int argc, char **argv)
{
    return pulsegrove::benchmarking::runBenchmarksInApplication(argc, argv);
}
