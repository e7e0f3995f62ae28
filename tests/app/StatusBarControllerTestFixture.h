#pragma once

#include "FakeTrayHost.h"
#include "FixedMetricsSampler.h"
#include "QuotaStoreTestFixture.h"
#include "insights/QuotaNoticeStore.h"
#include "statusitem/StatusBarController.h"
#include "stores/SystemMetricsStore.h"

#include <QMenu>
#include <QTest>
#include <QWidget>

namespace pulsegrove::testing {

// Stands in for the quota panel: it claims its surface in both stores when shown, as the panel
// does, and lets the test report a preferred height. It never gives the claim up, so that closing
// the popover is seen to withdraw it.
class FakePanel final : public QWidget {
public:
    FakePanel(QuotaStore &store, SystemMetricsStore &metricsStore, qreal maximumHeight, QString surfaceID,
              std::function<void(qreal)> onPreferredHeightChange)
        : maximumHeight(maximumHeight), surfaceID(std::move(surfaceID)),
          reportHeight(std::move(onPreferredHeightChange)), m_store(store), m_metricsStore(metricsStore)
    {
    }
    qreal maximumHeight;
    QString surfaceID;
    std::function<void(qreal)> reportHeight;

protected:
    void showEvent(QShowEvent *) override
    {
        m_store.setSurfaceVisible(true, surfaceID);
        m_metricsStore.setVisible(m_store.visibleModules().contains(QuotaModule::systemMetrics), surfaceID);
    }

private:
    QuotaStore &m_store;
    SystemMetricsStore &m_metricsStore;
};

// A controller over a quota store with a scripted codex, a metrics store with a fixed sampler, a
// fake tray and the test's clock.
class StatusBarControllerTest : public QuotaStoreTest {
protected:
    // The controller goes first, then the stores, whose destructors stop what still runs.
    void TearDown() override { m_controller.reset(); }

    // Makes the store (reading whatever cache the test wrote) and the controller.
    StatusBarController &makeController(bool allowsSystemSettings = true,
                                        const std::string &rateLimitsResult = FakeCodex::sampleResult())
    {
        m_answeringCodex = std::make_unique<FakeCodex>(
            m_codexScript ? *m_codexScript : FakeCodex::answering(rateLimitsResult));
        m_store = makeStore(clientFor(*m_answeringCodex), allowsSystemSettings);
        m_metricsStore = std::make_unique<SystemMetricsStore>(nullptr, &m_workspace, clock());
        m_metricsStore->setSamplerFactory([this] { return std::make_shared<FixedMetricsSampler>(m_metricsSample); });
        m_metricsStore->setPollingInterval(std::chrono::hours(1));
        StatusBarController::Services services;
        services.trayHost = &m_trayHost;
        services.log = m_log;
        services.defaults = m_defaults;
        services.clock = clock();
        services.panelFactory =
            m_useQuotaPanel ? StatusBarController::productionServices().panelFactory
                            : [this](QuotaStore &store, SystemMetricsStore &metrics, qreal maximumHeight,
                                     const QString &surfaceID, std::function<void(qreal)> report) {
                                  auto *panel = new FakePanel(store, metrics, maximumHeight, surfaceID,
                                                              std::move(report));
                                  m_panels.append(panel);
                                  return panel;
                              };
        services.screenVisibleHeight = [this] { return m_screenHeight; };
        services.noticeStore = m_noticeStore.get();
        services.insightsCatalog = m_catalog;
        services.loginItem = m_loginItem;
        services.quitApplication = [this] { ++m_quitCalls; };
        m_controller = std::make_unique<StatusBarController>(
            *m_store, *m_metricsStore, [this] { ++m_surfaceWillPresentCalls; }, services);
        return *m_controller;
    }

    // A fresh snapshot from the codex, and every queued sync after it.
    void refreshQuota()
    {
        await(m_store->refresh(true));
        settle(*m_store);
        ASSERT_TRUE(m_store->snapshot());
        turn();
    }
    // A rate-limits answer with the used shares of the windows that are given.
    static std::string rateLimits(std::optional<int> fiveHourUsed, std::optional<int> weeklyUsed,
                                  const std::string &extra = {})
    {
        std::string windows;
        if (fiveHourUsed)
            windows += R"("primary":{"usedPercent":)" + std::to_string(*fiveHourUsed) +
                       R"(,"windowDurationMins":300},)";
        if (weeklyUsed)
            windows += R"("secondary":{"usedPercent":)" + std::to_string(*weeklyUsed) +
                       R"(,"windowDurationMins":10080},)";
        return R"({"rateLimits":{)" + windows + R"("planType":"plus"})" + extra + "}";
    }

    // One metrics sample from the fixed sampler.
    void sampleMetrics(const SystemMetricsSnapshot &snapshot)
    {
        m_metricsSample = snapshot;
        m_metricsSample.sampledAt = m_now;
        m_metricsStore->setVisible(true, QStringLiteral("test"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_metricsStore->snapshot() == m_metricsSample; }, 10000));
        m_metricsStore->setVisible(false, QStringLiteral("test"));
    }

    // Lets the controller's queued syncs run.
    static void turn()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QMenu &menu() { return *m_controller->systemMenu().menu(); }
    QAction &row(StatusMenuItem item) { return *m_controller->systemMenu().item(item); }
    void openMenu()
    {
        menu().popup(QPoint(10, 10));
        ASSERT_TRUE(menu().isVisible());
    }
    void closeMenu() { menu().hide(); }
    bool noSurfaceVisible() const
    {
        return m_store->visibleSurfaces().isEmpty() && m_metricsStore->visibleConsumers().isEmpty();
    }

    // A notice store whose feed answers at once with `m_feed` (nothing: the check fails).
    std::optional<QList<QuotaNotice>> m_feed;
    int m_feedChecks = 0;
    std::unique_ptr<QuotaNoticeStore> m_noticeStore =
        std::make_unique<QuotaNoticeStore>(m_defaults, clock(), [this](std::stop_token) {
            ++m_feedChecks;
            return QtFuture::makeReadyFuture(m_feed);
        });
    std::optional<QuotaInsightsCatalog> m_catalog;
    // Hosts the real quota panel instead of the stand-in.
    bool m_useQuotaPanel = false;
    // A script for the codex instead of answering at once.
    std::optional<std::vector<std::string>> m_codexScript;
    FakeTrayHost m_trayHost;
    std::optional<qreal> m_screenHeight = 1000.0;
    SystemMetricsSnapshot m_metricsSample;
    std::unique_ptr<FakeCodex> m_answeringCodex;
    std::unique_ptr<QuotaStore> m_store;
    std::unique_ptr<SystemMetricsStore> m_metricsStore;
    std::unique_ptr<StatusBarController> m_controller;
    QList<QPointer<FakePanel>> m_panels;
    int m_surfaceWillPresentCalls = 0;
    int m_quitCalls = 0;
};

} // namespace pulsegrove::testing
