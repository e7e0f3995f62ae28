#pragma once

#include "metrics/SystemMetricsSnapshot.h"

namespace pulsegrove {

// Something that takes samples of the machine's metrics; the metrics store works against this, so
// tests can hand it scripted samples. sample() may be called from any thread.
class SystemMetricsSampling {
public:
    virtual ~SystemMetricsSampling() = default;
    virtual SystemMetricsSnapshot sample() = 0;
};

} // namespace pulsegrove
