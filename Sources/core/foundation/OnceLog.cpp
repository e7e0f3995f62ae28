#include "foundation/OnceLog.h"

namespace pulsegrove {

void OnceLog::setLog(Log log)
{
    const std::lock_guard lock(m_mutex);
    m_log = std::move(log);
    m_reported.clear();
}

void OnceLog::report(const std::string &message)
{
    const std::lock_guard lock(m_mutex);
    if (!m_log || m_reported.size() >= m_limit || !m_reported.insert(message).second)
        return;
    m_log(message);
}

} // namespace pulsegrove
