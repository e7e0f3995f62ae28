#include "TrayClickFilter.h"

namespace pulsegrove {

bool TrayClickFilter::accept(QSystemTrayIcon::ActivationReason reason, qint64 nowMilliseconds)
{
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
        return false;
    if (m_lastAccepted && nowMilliseconds - *m_lastAccepted < debounceMilliseconds &&
        nowMilliseconds >= *m_lastAccepted)
        return false;
    m_lastAccepted = nowMilliseconds;
    return true;
}

} // namespace pulsegrove
