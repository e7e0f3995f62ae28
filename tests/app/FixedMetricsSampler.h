#pragma once

#include "metrics/SystemMetricsSampling.h"

namespace pulsegrove::testing {

// A sampler that always hands out the same sample.
struct FixedMetricsSampler final : SystemMetricsSampling {
    explicit FixedMetricsSampler(SystemMetricsSnapshot snapshot) : snapshot(snapshot) {}
    SystemMetricsSnapshot sample() override { return snapshot; }
    SystemMetricsSnapshot snapshot;
};

} // namespace pulsegrove::testing
