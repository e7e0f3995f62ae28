#include "stores/SystemMetricsStore.h"

#include "metrics/SystemMetricsSampler.h"
#include "stores/FutureCompletion.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

namespace pulsegrove {

namespace {

// On the sampling worker: makes the sampler when the loop has none yet, handing it back through
// `made`, then samples.
std::optional<SystemMetricsSnapshot>
takeSample(std::shared_ptr<SystemMetricsSampling> sampler, const SystemMetricsStore::SamplerFactory &factory,
           const std::shared_ptr<std::shared_ptr<SystemMetricsSampling>> &made)
{
    try {
        if (!sampler && factory)
            sampler = *made = factory();
        if (!sampler)
            return std::nullopt;
        return sampler->sample();
    } catch (...) {
        // A sampler must not throw; if one does, the sample is simply lost.
        return std::nullopt;
    }
}

} // namespace

SystemMetricsStore::SystemMetricsStore(std::shared_ptr<SystemMetricsSampling> sampler, Workspace *workspace,
                                       Clock clock, QObject *parent)
    : QObject(parent), m_sampler(std::move(sampler)),
      m_samplerFactory([] { return std::make_shared<SystemMetricsSampler>(); }), m_clock(std::move(clock))
{
    m_pollingTimer.setSingleShot(true);
    m_pollingTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollingTimer, &QTimer::timeout, this, [this] { pollOnce(m_pollingGeneration); });
    m_samplingPool.setMaxThreadCount(1);
    m_samplingPool.setThreadPriority(QThread::LowPriority);
    observeWorkspace(workspace);
}

SystemMetricsStore::~SystemMetricsStore()
{
    m_pollingTimer.stop();
    m_samplingPool.waitForDone();
}

QString SystemMetricsStore::unavailableMessage()
{
    return QString::fromUtf8("系统指标暂时不可用");
}

template <typename T>
void SystemMetricsStore::publish(T &field, T value, void (SystemMetricsStore::*changed)())
{
    Q_EMIT objectWillChange();
    field = std::move(value);
    Q_EMIT(this->*changed)();
}

bool SystemMetricsStore::isStale() const
{
    return !m_snapshot || m_clock().timeIntervalSince(m_snapshot->sampledAt) > staleAfterSeconds;
}

void SystemMetricsStore::observeWorkspace(Workspace *workspace)
{
    if (!workspace)
        return;
    // Queued, like a task started from the notification: the store handles it on its next turn and
    // not at all once it is gone.
    m_workspaceConnections = {
        connect(workspace, &Workspace::didWake, this, &SystemMetricsStore::handleWake, Qt::QueuedConnection),
        connect(workspace, &Workspace::screensDidWake, this, &SystemMetricsStore::handleWake,
                Qt::QueuedConnection),
        connect(workspace, &Workspace::willSleep, this, &SystemMetricsStore::handleSleep,
                Qt::QueuedConnection),
        connect(workspace, &Workspace::screensDidSleep, this, &SystemMetricsStore::handleSleep,
                Qt::QueuedConnection),
    };
}

void SystemMetricsStore::setVisible(bool visible, const QString &source)
{
    if (visible)
        m_visibleConsumers.insert(source);
    else
        m_visibleConsumers.remove(source);
    if (m_visibleConsumers.isEmpty())
        suspendSampling();
    else
        startPolling();
}

void SystemMetricsStore::startPolling()
{
    if (m_isPolling || m_isSleeping || m_visibleConsumers.isEmpty())
        return;
    m_isPolling = true;
    ++m_pollingGeneration;
    // The first sample is taken at once, on the next turn of the event loop.
    m_pollingTimer.start(0);
}

void SystemMetricsStore::suspendSampling()
{
    m_pollingTimer.stop();
    m_isPolling = false;
    ++m_pollingGeneration;
    // A running sample holds its own reference, so the sampler (and its SMC connection) goes when
    // that sample ends.
    m_sampler.reset();
}

void SystemMetricsStore::pollOnce(std::uint64_t generation)
{
    if (!m_isPolling || generation != m_pollingGeneration)
        return;
    performRefresh(true, generation);
}

void SystemMetricsStore::scheduleNextPoll(std::uint64_t generation)
{
    // The pause counts from the end of this sample, not on a fixed grid.
    if (m_isPolling && generation == m_pollingGeneration)
        m_pollingTimer.start(m_pollingInterval);
}

QFuture<void> SystemMetricsStore::refresh(bool force)
{
    return performRefresh(force, std::nullopt);
}

QFuture<void> SystemMetricsStore::performRefresh(bool force, std::optional<std::uint64_t> pollingGeneration)
{
    const bool skipped = m_isSampling || m_isSleeping || m_visibleConsumers.isEmpty() ||
                         (!force && m_snapshot &&
                          m_clock().timeIntervalSince(m_snapshot->sampledAt) < minimumSampleAgeSeconds);
    if (skipped) {
        if (pollingGeneration)
            scheduleNextPoll(*pollingGeneration);
        return QtFuture::makeReadyFuture();
    }
    publish(m_isSampling, true, &SystemMetricsStore::isSamplingChanged);
    // The first sample of a loop makes the sampler on the worker too: its hardware discovery reads
    // the machine's sensor tree, which must not hold up the interface.
    auto made = std::make_shared<std::shared_ptr<SystemMetricsSampling>>();
    auto work = QtConcurrent::run(&m_samplingPool, &takeSample, m_sampler, m_samplerFactory, made);
    // The loop goes on from this one completion: a second one chained on it would be handed a
    // dead store when the store goes away between the two.
    const std::uint64_t loop = m_pollingGeneration;
    return whenFinished(this, work,
                        [this, pollingGeneration, made, loop](const QFuture<SampleResult> &finished) {
                            adoptSampler(std::exchange(*made, nullptr), loop);
                            finishRefresh(resultOf(finished).value_or(std::nullopt), pollingGeneration);
                            if (pollingGeneration)
                                scheduleNextPoll(*pollingGeneration);
                        });
}

void SystemMetricsStore::adoptSampler(std::shared_ptr<SystemMetricsSampling> sampler, std::uint64_t loop)
{
    // Kept only by the loop it was made for: one that stopped meanwhile (sleep, no surface) drops
    // it, and the next loop discovers the hardware afresh.
    if (sampler && !m_sampler && m_isPolling && loop == m_pollingGeneration)
        m_sampler = std::move(sampler);
}

void SystemMetricsStore::finishRefresh(const std::optional<SystemMetricsSnapshot> &result,
                                       std::optional<std::uint64_t> pollingGeneration)
{
    publish(m_isSampling, false, &SystemMetricsStore::isSamplingChanged);
    const bool loopCancelled = pollingGeneration && *pollingGeneration != m_pollingGeneration;
    if (!result || loopCancelled || m_visibleConsumers.isEmpty() || m_isSleeping)
        return;
    const bool nothingRead =
        !result->cpuTemperatureCelsius && !result->cpuUsagePercent && !result->memoryUsedPercent;
    publish(m_snapshot, result, &SystemMetricsStore::snapshotChanged);
    publish(m_errorMessage, nothingRead ? std::optional<QString>(unavailableMessage()) : std::nullopt,
            &SystemMetricsStore::errorMessageChanged);
}

void SystemMetricsStore::stopPolling()
{
    m_visibleConsumers.clear();
    suspendSampling();
    for (const auto &connection : std::as_const(m_workspaceConnections))
        disconnect(connection);
    m_workspaceConnections.clear();
}

void SystemMetricsStore::handleSleep()
{
    m_isSleeping = true;
    suspendSampling();
}

void SystemMetricsStore::handleWake()
{
    if (!m_isSleeping)
        return;
    m_isSleeping = false;
    // A fresh sampler, and so a fresh SMC discovery, after the machine was asleep.
    m_sampler.reset();
    startPolling();
}

} // namespace pulsegrove
