#include "metrics/SystemMetricsSampler.h"

#include <algorithm>

namespace pulsegrove {

SystemMetricsSampler::SystemMetricsSampler() : SystemMetricsSampler(systemClock(), ThermalZoneReader()) {}

SystemMetricsSampler::SystemMetricsSampler(Clock clock, ThermalZoneReader thermalZones,
                                           const pg_sampler_platform *platform)
    : m_bridge(pg_system_metrics_sampler_create_on(platform)), m_clock(std::move(clock)),
      m_thermalZones(std::move(thermalZones))
{
}

SystemMetricsSampler::~SystemMetricsSampler()
{
    pg_system_metrics_sampler_destroy(m_bridge);
}

SystemMetricsSnapshot SystemMetricsSampler::sample()
{
    std::lock_guard guard(m_lock);
    const pg_system_metrics_sample native = pg_system_metrics_sampler_sample(m_bridge);
    return snapshotFromSample(native, m_thermalZones.thermalState(), m_clock());
}

SystemMetricsSnapshot SystemMetricsSampler::snapshotFromSample(const pg_system_metrics_sample &sample,
                                                               SystemThermalState thermalState,
                                                               Date sampledAt)
{
    SystemMetricsSnapshot snapshot;
    if (sample.cpu_usage_valid)
        snapshot.cpuUsagePercent = std::clamp(sample.cpu_usage, 0.0, 100.0);
    if (sample.memory_valid) {
        snapshot.memoryUsedPercent = std::clamp(sample.memory_used_percent, 0.0, 100.0);
        snapshot.memoryUsedBytes = sample.memory_used_bytes;
        snapshot.memoryTotalBytes = sample.memory_total_bytes;
    }
    if (sample.temperature_valid) {
        snapshot.cpuTemperatureCelsius = sample.cpu_temperature;
        snapshot.temperatureSource = CPUTemperatureSources::fromNative(sample.temperature_source);
    }
    snapshot.thermalState = thermalState;
    snapshot.sampledAt = sampledAt;
    return snapshot;
}

} // namespace pulsegrove
