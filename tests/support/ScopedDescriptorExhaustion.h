#pragma once

#include <sys/resource.h>

namespace pulsegrove::testing {

// For its lifetime the process cannot open any new file descriptor (every open fails with
// EMFILE), a passing failure that even root meets; the previous limit comes back on destruction.
// Keep the scope short: other threads of the process meet the same limit.
class ScopedDescriptorExhaustion {
public:
    ScopedDescriptorExhaustion();
    ~ScopedDescriptorExhaustion();
    ScopedDescriptorExhaustion(const ScopedDescriptorExhaustion &) = delete;
    ScopedDescriptorExhaustion &operator=(const ScopedDescriptorExhaustion &) = delete;

private:
    rlimit m_previous{};
};

} // namespace pulsegrove::testing
