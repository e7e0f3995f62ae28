#pragma once

#include "foundation/Clock.h"
#include "metrics/SystemMetricsSampling.h"
#include "metrics/ThermalZoneReader.h"

#include <mutex>
#include <pg_sampler_platform.h>
#include <pg_system_metrics_sampler.h>

namespace pulsegrove {

// Owns one native sampler state record (its SMC connection, cached temperature keys and CPU tick
// base) and turns its samples into snapshots. The native code is not re-entrant, so every call
// into the record is serialised by a lock; sample() may run on any thread. Destroying the object
// closes the SMC connection.
class SystemMetricsSampler final : public SystemMetricsSampling {
public:
    SystemMetricsSampler();
    // The platform (the machine unless a test brings its own) must outlive the sampler.
    SystemMetricsSampler(Clock clock, ThermalZoneReader thermalZones,
                         const pg_sampler_platform *platform = pg_machine_platform());
    ~SystemMetricsSampler() override;
    SystemMetricsSampler(const SystemMetricsSampler &) = delete;
    SystemMetricsSampler &operator=(const SystemMetricsSampler &) = delete;

    SystemMetricsSnapshot sample() override;

    // The snapshot of one native sample: percentages clamped to 0...100, the temperature as read,
    // and no temperature source without a valid temperature.
    static SystemMetricsSnapshot snapshotFromSample(const pg_system_metrics_sample &sample,
                                                    SystemThermalState thermalState, Date sampledAt);

private:
    std::mutex m_lock;
    // Null when the record could not be allocated: samples then carry only thermal state and time.
    pg_system_metrics_sampler *m_bridge = nullptr;
    Clock m_clock;
    ThermalZoneReader m_thermalZones;
};

} // namespace pulsegrove
