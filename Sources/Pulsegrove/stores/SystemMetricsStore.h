#pragma once

#include "Workspace.h"
#include "foundation/Clock.h"
#include "metrics/SystemMetricsSampling.h"
#include "metrics/SystemMetricsSnapshot.h"

#include <QFuture>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace pulsegrove {

// The main-thread holder of the machine's metrics. It samples every 5 s, counted from the end of
// the previous sample, but only while at least one surface that shows metrics is on screen and
// the machine is awake; the sampling itself runs on a low-priority worker thread. When sampling
// stops, the sampler is dropped so its SMC connection closes (a sample still running keeps it
// alive until it ends). Every observable property announces a coming change with
// objectWillChange() and the new value with its own signal.
class SystemMetricsStore final : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<pulsegrove::SystemMetricsSnapshot> snapshot READ snapshot NOTIFY snapshotChanged)
    Q_PROPERTY(bool isSampling READ isSampling NOTIFY isSamplingChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    using SamplerFactory = std::function<std::shared_ptr<SystemMetricsSampling>()>;

    static constexpr std::chrono::milliseconds defaultPollingInterval{5000};
    static constexpr double minimumSampleAgeSeconds = 1.0;
    static constexpr double staleAfterSeconds = 15.0;

    // The application passes no sampler: one is made when sampling first starts.
    explicit SystemMetricsStore(std::shared_ptr<SystemMetricsSampling> sampler = nullptr,
                                Workspace *workspace = Workspace::shared(), Clock clock = systemClock(),
                                QObject *parent = nullptr);
    // Waits for a running sample; its result is not published.
    ~SystemMetricsStore() override;

    // "系统指标暂时不可用" when a sample had no temperature, no CPU usage and no memory percentage.
    static QString unavailableMessage();

    const std::optional<SystemMetricsSnapshot> &snapshot() const { return m_snapshot; }
    bool isSampling() const { return m_isSampling; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    // No snapshot, or one sampled more than 15 s ago.
    bool isStale() const;

    // Announces that a surface showing metrics appeared or went away; sampling runs while any is
    // visible.
    void setVisible(bool visible, const QString &source);
    // Takes a sample unless one is running, the machine sleeps, no surface is visible, or (unless
    // forced) the snapshot is under 1 s old. Finishes when the result is handled; never fails.
    QFuture<void> refresh(bool force);
    // Forgets every surface, stops sampling and stops listening to sleep and wake.
    void stopPolling();

    // Seams for tests: how samplers are made (on the sampling worker) and the pause between samples.
    void setSamplerFactory(SamplerFactory factory) { m_samplerFactory = std::move(factory); }
    void setPollingInterval(std::chrono::milliseconds interval) { m_pollingInterval = interval; }

    // Read-only views of the sampling machinery, for tests and diagnostics.
    bool isPolling() const { return m_isPolling; }
    bool isSleeping() const { return m_isSleeping; }
    bool hasSampler() const { return m_sampler != nullptr; }
    bool isWaitingForNextSample() const { return m_pollingTimer.isActive(); }
    // The pause the waiting loop was given before its next sample.
    std::chrono::milliseconds nextSampleDelay() const { return m_pollingTimer.intervalAsDuration(); }
    const QSet<QString> &visibleConsumers() const { return m_visibleConsumers; }

Q_SIGNALS:
    void objectWillChange();
    void snapshotChanged();
    void isSamplingChanged();
    void errorMessageChanged();

private:
    template <typename T> void publish(T &field, T value, void (SystemMetricsStore::*changed)());
    void observeWorkspace(Workspace *workspace);
    void startPolling();
    void suspendSampling();
    void pollOnce(std::uint64_t generation);
    void scheduleNextPoll(std::uint64_t generation);
    // A refresh of the polling loop of that generation drops its result once the loop is cancelled.
    QFuture<void> performRefresh(bool force, std::optional<std::uint64_t> pollingGeneration);
    using SampleResult = std::optional<SystemMetricsSnapshot>;
    void finishRefresh(const SampleResult &result, std::optional<std::uint64_t> pollingGeneration);
    void adoptSampler(std::shared_ptr<SystemMetricsSampling> sampler, std::uint64_t loop);
    void handleSleep();
    void handleWake();

    std::optional<SystemMetricsSnapshot> m_snapshot;
    bool m_isSampling = false;
    std::optional<QString> m_errorMessage;

    std::shared_ptr<SystemMetricsSampling> m_sampler;
    SamplerFactory m_samplerFactory;
    Clock m_clock;
    QSet<QString> m_visibleConsumers;
    bool m_isSleeping = false;
    bool m_isPolling = false;
    // Moves on every start and cancellation of the polling loop, so a cancelled loop stays dead.
    std::uint64_t m_pollingGeneration = 0;
    std::chrono::milliseconds m_pollingInterval = defaultPollingInterval;
    QTimer m_pollingTimer;
    QList<QMetaObject::Connection> m_workspaceConnections;
    // One low-priority worker for the samples; declared last so it is finished first.
    QThreadPool m_samplingPool;
};

} // namespace pulsegrove
