#pragma once

#include <sys/stat.h>

namespace pulsegrove::testing {

// Sets the process umask for a scope (000 by default: every bit a creator asks for is kept),
// then restores it.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask = 0) : m_previous(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_previous); }
    ScopedUmask(const ScopedUmask &) = delete;
    ScopedUmask &operator=(const ScopedUmask &) = delete;

private:
    mode_t m_previous;
};

} // namespace pulsegrove::testing
