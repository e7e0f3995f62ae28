#include "FakeApplicationActivation.h"
#include "UserDefaults.h"
#include "ViewRendering.h"
#include "analytics/CodexUsageAnalyticsService.h"
#include "dashboard/UsageDashboardPageModel.h"
#include "dashboard/UsageDashboardPageView.h"
#include "dashboard/UsageDashboardWindowController.h"
#include "dashboard/UsageQuotaRowCard.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "quota/CancellationError.h"
#include "theme/QuotaThemeID.h"
#include "views/primitives/CapsuleTag.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPromise>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>

using namespace pulsegrove;
using namespace pulsegrove::testing;

namespace {

UsageQuotaSnapshot row(const std::string &id, UsageQuotaWindow window, double remaining, bool isStale,
                       std::optional<std::string> resetAt = "2026-03-01T12:00:00Z")
{
    return {id,        "Codex 常规额度", UsageQuotaKind::regular, window,
            remaining, 100 - remaining,  "2026-03-01T08:00:00Z",  std::move(resetAt),
            isStale};
}

std::string encoded(const std::vector<UsageQuotaSnapshot> &rows)
{
    return UsageQuotaSnapshot::encodeList(rows).dump();
}

void waitUntil(const std::function<bool()> &condition)
{
    ASSERT_TRUE(QTest::qWaitFor(condition, 10000));
}

// A loader the test finishes by hand, recording what it was asked.
struct ManualLoader {
    std::vector<bool> rebuilds;
    std::vector<std::shared_ptr<QPromise<UsageDashboardReport>>> promises;
    std::vector<UsageDashboardWindowController::ProgressCallback> progressCallbacks;

    UsageDashboardWindowController::ReportLoader loader()
    {
        return [this](bool rebuild, UsageDashboardWindowController::ProgressCallback progress) {
            rebuilds.push_back(rebuild);
            progressCallbacks.push_back(std::move(progress));
            auto promise = std::make_shared<QPromise<UsageDashboardReport>>();
            promise->start();
            promises.push_back(promise);
            return promise->future();
        };
    }
};

class UsageDashboardControllerTest : public ::testing::Test {
protected:
    std::unique_ptr<UsageDashboardWindowController> makeController()
    {
        return std::make_unique<UsageDashboardWindowController>(
            m_loader.loader(),
            [this] {
                ++m_providerCalls;
                return m_rows;
            },
            [this] { ++m_closeCalls; }, m_activation);
    }

    IsolatedTheme m_theme;
    ManualLoader m_loader;
    std::vector<UsageQuotaSnapshot> m_rows{row("regular-five-hour", UsageQuotaWindow::fiveHour, 75, false)};
    int m_providerCalls = 0;
    int m_closeCalls = 0;
    std::shared_ptr<FakeApplicationActivation> m_activation = std::make_shared<FakeApplicationActivation>();
};

} // namespace

TEST(CodexUsageAnalyticsServiceTests, LoadsOnALowPriorityWorkerAndReportsOneFinishedState)
{
    const CodexUsageAnalyticsService service(CodexUsageAnalyticsConfiguration::live(Environment::current()));
    std::mutex mutex;
    std::vector<UsageScanState> states;
    QThread::Priority priority = QThread::InheritPriority;
    bool onMainThread = true;
    auto future = service.loadReport(true, [&](const UsageScanState &state) {
        std::lock_guard lock(mutex);
        states.push_back(state);
        priority = QThread::currentThread()->priority();
        onMainThread = QThread::currentThread() == qApp->thread();
    });
    future.waitForFinished();
    ASSERT_EQ(future.resultCount(), 1);
    EXPECT_EQ(future.result(), UsageDashboardReport{});
    std::lock_guard lock(mutex);
    EXPECT_EQ(states, std::vector<UsageScanState>({UsageScanState{0, 0, true}}));
    EXPECT_EQ(priority, QThread::LowPriority);
    EXPECT_FALSE(onMainThread);
}

TEST(CodexUsageAnalyticsServiceTests, ACancelledLoadEndsWithoutAReport)
{
    const CodexUsageAnalyticsService service(CodexUsageAnalyticsConfiguration::live(Environment::current()));
    // Keep the one worker busy so the load is still queued when it is cancelled.
    std::atomic<bool> release = false;
    auto blocker = service.loadReport(false, [&](const UsageScanState &) {
        while (!release)
            QThread::msleep(1);
    });
    auto cancelled = service.loadReport(false, nullptr);
    cancelled.cancel();
    release = true;
    blocker.waitForFinished();
    cancelled.waitForFinished();
    EXPECT_TRUE(cancelled.isCanceled());
    EXPECT_EQ(cancelled.resultCount(), 0);
    EXPECT_EQ(blocker.resultCount(), 1);
}

TEST_F(UsageDashboardControllerTest, WindowIsBuiltHiddenAndShowLoadsOnceWithTheProvidersRows)
{
    const auto controller = makeController();
    EXPECT_FALSE(controller->window()->isVisible());
    EXPECT_TRUE(m_loader.rebuilds.empty());
    controller->updateQuotaSnapshots();
    EXPECT_EQ(m_providerCalls, 0) << "no report is held yet";

    controller->show();
    controller->show();
    EXPECT_TRUE(controller->window()->isVisible());
    EXPECT_EQ(m_loader.rebuilds, std::vector<bool>{false}) << "a second show while loading starts nothing";
    EXPECT_EQ(m_activation->activations, (std::vector<bool>{true, true}));
    EXPECT_EQ(controller->page()->statusText(), UsageDashboardPageModel::loadingMessage());

    m_loader.promises[0]->addResult(UsageDashboardReport{});
    m_loader.promises[0]->finish();
    waitUntil([&] { return controller->report().has_value(); });
    EXPECT_EQ(controller->report()->quotaSnapshots, m_rows);
    EXPECT_EQ(controller->page()->rows(), m_rows);
    EXPECT_TRUE(controller->page()->statusText().isEmpty());

    m_rows.push_back(row("regular-weekly", UsageQuotaWindow::weekly, 10, true));
    controller->updateQuotaSnapshots();
    EXPECT_EQ(controller->report()->quotaSnapshots, m_rows);
    EXPECT_EQ(controller->page()->rows(), m_rows);
    controller->show();
    EXPECT_EQ(m_loader.rebuilds.size(), 1u) << "a held report is reused";
}

TEST_F(UsageDashboardControllerTest, FailedAndCancelledLoadsLeaveNoReport)
{
    struct Case {
        const char *name;
        std::function<void(QPromise<UsageDashboardReport> &)> finish;
        QString status;
    };
    const std::vector<Case> cases = {
        {"failure",
         [](auto &promise) {
             promise.setException(std::make_exception_ptr(std::runtime_error("disk gone")));
         },
         UsageDashboardPageModel::loadFailedMessage()},
        {"cancellation error",
         [](auto &promise) { promise.setException(std::make_exception_ptr(CancellationError())); },
         UsageDashboardPageModel::loadingMessage()},
    };
    for (const auto &testCase : cases) {
        const auto controller = makeController();
        controller->show();
        auto &promise = *m_loader.promises.back();
        testCase.finish(promise);
        promise.finish();
        waitUntil([&] { return !controller->isLoading(); });
        EXPECT_FALSE(controller->report().has_value()) << testCase.name;
        EXPECT_EQ(controller->page()->statusText(), testCase.status) << testCase.name;
    }
}

TEST_F(UsageDashboardControllerTest, ClosingCancelsTheLoadStopsThePageAndCallsTheHandlerOnce)
{
    const auto controller = makeController();
    controller->show();
    auto promise = m_loader.promises[0];
    controller->window()->close();
    EXPECT_TRUE(promise->isCanceled());
    EXPECT_FALSE(controller->isLoading());
    EXPECT_TRUE(controller->page()->isStopped());
    EXPECT_EQ(m_closeCalls, 1);
    controller->window()->close();
    EXPECT_EQ(m_closeCalls, 1);
    // A report that still arrives after the close is dropped.
    promise->addResult(UsageDashboardReport{});
    promise->finish();
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller->report().has_value());
    EXPECT_TRUE(controller->page()->rows().empty());
}

TEST_F(UsageDashboardControllerTest, ProgressFromTheLoadersThreadReachesThePageOnlyWhileItsLoadRuns)
{
    const auto controller = makeController();
    controller->show();
    auto reportFromWorker = [&](const UsageScanState &state) {
        std::thread worker([&] { m_loader.progressCallbacks[0](state); });
        worker.join();
    };
    controller->page()->receive(QStringLiteral("codex-usage-error"), R"({"message":"x"})");
    reportFromWorker(UsageScanState{3, 9, false});
    waitUntil([&] { return controller->page()->statusText() == UsageDashboardPageModel::loadingMessage(); });

    m_loader.promises[0]->addResult(UsageDashboardReport{});
    m_loader.promises[0]->finish();
    waitUntil([&] { return controller->report().has_value(); });
    reportFromWorker(UsageScanState{9, 9, true});
    QCoreApplication::processEvents();
    EXPECT_EQ(controller->page()->statusText(), QString()) << "a late report of a finished load is dropped";
}

TEST(UsageDashboardPageTests, PageDecodesEachEventAndKeepsItsRowsOnBadData)
{
    IsolatedTheme theme;
    UsageDashboardPageView page;
    const std::vector<UsageQuotaSnapshot> rows = {
        row("regular-five-hour", UsageQuotaWindow::fiveHour, 75, false),
        row("regular-weekly", UsageQuotaWindow::weekly, 20, true)};
    struct Step {
        const char *event;
        std::string payload;
        bool accepted;
        std::vector<UsageQuotaSnapshot> rowsAfter;
        QString statusAfter;
    };
    const std::vector<Step> steps = {
        {"codex-usage-report", R"({"quotaSnapshots":)" + encoded(rows) + "}", true, rows, QString()},
        {"pulse-grove-snapshots", "[", false, rows, UsageDashboardPageModel::unreadableMessage()},
        {"pulse-grove-snapshots", R"([{"id":"x"}])", false, rows,
         UsageDashboardPageModel::unreadableMessage()},
        {"pulse-grove-snapshots",
         encoded({rows[1]}),
         true,
         {rows[1]},
         UsageDashboardPageModel::unreadableMessage()},
        {"codex-usage-error", R"({"message":"读取失败"})", true, {rows[1]}, QString::fromUtf8("读取失败")},
        {"codex-usage-error", R"({})", true, {rows[1]}, UsageDashboardPageModel::loadFailedMessage()},
        {"codex-usage-scan",
         R"({"processedItems":1})",
         true,
         {rows[1]},
         UsageDashboardPageModel::loadingMessage()},
        {"unknown-event", "{}", false, {rows[1]}, UsageDashboardPageModel::loadingMessage()},
        {"codex-usage-report", R"({"quotaSnapshots":[]})", true, {}, QString()},
    };
    for (const auto &step : steps) {
        EXPECT_EQ(page.receive(QString::fromLatin1(step.event), step.payload), step.accepted) << step.payload;
        EXPECT_EQ(page.rows(), step.rowsAfter) << step.payload;
        EXPECT_EQ(page.statusText(), step.statusAfter) << step.payload;
    }
    page.stop();
    EXPECT_FALSE(page.receive(QStringLiteral("pulse-grove-snapshots"), encoded(rows)));
    EXPECT_TRUE(page.rows().empty());
}

TEST(UsageDashboardPageTests, ModelTextsClampRoundAndFallBack)
{
    const Environment utc(std::map<std::string, std::string>{{"TZ", "UTC"}});
    const Date now = Date::fromUnixSeconds(1772352000);
    struct PercentCase {
        double percent;
        QString text;
        qint64 bar;
    };
    for (const auto &[percent, text, bar] :
         std::vector<PercentCase>{{58, QStringLiteral("58%"), 58},
                                  {57.6, QStringLiteral("58%"), 58},
                                  {130, QStringLiteral("100%"), 100},
                                  {-5, QStringLiteral("0%"), 0},
                                  {std::nan(""), QStringLiteral("0%"), 0}}) {
        EXPECT_EQ(UsageDashboardPageModel::percentText(percent), text) << percent;
        EXPECT_EQ(UsageDashboardPageModel::barPercent(percent), bar) << percent;
    }
    EXPECT_EQ(UsageDashboardPageModel::resetText(std::string("2026-03-05T14:05:00Z"), now, utc),
              QString::fromUtf8("重置于 3月5日 14:05"));
    for (const auto &missing : {std::optional<std::string>(), std::optional<std::string>("tomorrow")})
        EXPECT_EQ(UsageDashboardPageModel::resetText(missing, now, utc), QString::fromUtf8("重置时间未知"));
    EXPECT_EQ(UsageDashboardPageModel::capturedText(
                  "2026-03-01T08:00:00Z", now,
                  Environment(std::map<std::string, std::string>{{"TZ", "Asia/Shanghai"}})),
              QString::fromUtf8("获取于 3月1日 16:00"));
}

TEST(UsageDashboardPageTests, RendersRowsWithTheirStaleMarkInEveryTheme)
{
    IsolatedTheme theme;
    // Each row is tagged with its own window; only the stale one carries the mark.
    const std::map<std::string, QStringList> tags = {
        {"regular-five-hour", {QString::fromUtf8("5 小时")}},
        {"regular-weekly", {QString::fromUtf8("每周"), QString::fromUtf8("缓存数据 · 可能已过期")}}};
    for (const QuotaThemeID id : QuotaThemeIDs::allCases) {
        UserDefaults::standard()->setString(PulsegrovePreferenceKeys::theme, QuotaThemeIDs::rawValue(id));
        UsageDashboardPageView page;
        page.receive(QStringLiteral("codex-usage-report"),
                     R"({"quotaSnapshots":)" +
                         encoded({row("regular-five-hour", UsageQuotaWindow::fiveHour, 75, false),
                                  row("regular-weekly", UsageQuotaWindow::weekly, 8, true, std::nullopt)}) +
                         "}");
        const auto cards = page.findChildren<UsageQuotaRowCard *>();
        ASSERT_EQ(cards.size(), 2);
        for (const UsageQuotaRowCard *card : cards) {
            QStringList shown;
            for (const CapsuleTag *tag : card->findChildren<CapsuleTag *>())
                shown.append(tag->text());
            EXPECT_EQ(shown, tags.at(card->row().id)) << card->row().id;
        }
        const QString name =
            QStringLiteral("usage-dashboard-page-") + QString::fromLatin1(QuotaThemeIDs::rawValue(id));
        const QImage image = renderAtWidth(page, 1180, name);
        EXPECT_EQ(qRound(image.width() / image.devicePixelRatio()), 1180);
        EXPECT_GT(countPixelsNear(image, QuotaThemeIDs::palette(id).accent, 20), 100)
            << "percentages and bars in the theme's accent: " << QuotaThemeIDs::rawValue(id);
    }
}
