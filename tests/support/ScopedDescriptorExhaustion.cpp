#include "ScopedDescriptorExhaustion.h"

#include <cerrno>
#include <system_error>

namespace pulsegrove::testing {

ScopedDescriptorExhaustion::ScopedDescriptorExhaustion()
{
    if (::getrlimit(RLIMIT_NOFILE, &m_previous) != 0)
        throw std::system_error(errno, std::generic_category(), "getrlimit");
    rlimit none = m_previous;
    none.rlim_cur = 0;
    if (::setrlimit(RLIMIT_NOFILE, &none) != 0)
        throw std::system_error(errno, std::generic_category(), "setrlimit");
}

ScopedDescriptorExhaustion::~ScopedDescriptorExhaustion()
{
    ::setrlimit(RLIMIT_NOFILE, &m_previous);
}

} // namespace pulsegrove::testing
