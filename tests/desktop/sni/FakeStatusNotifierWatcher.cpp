#include "FakeStatusNotifierWatcher.h"

#include <QMutexLocker>

namespace pulsegrove::testing {

QStringList FakeStatusNotifierWatcher::registeredItems() const
{
    QMutexLocker lock(&m_mutex);
    return m_items;
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    {
        QMutexLocker lock(&m_mutex);
        m_items.append(service);
    }
    Q_EMIT StatusNotifierItemRegistered(service);
}

} // namespace pulsegrove::testing
