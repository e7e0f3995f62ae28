#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QStringList>

namespace pulsegrove::testing {

// Plays the desktop's StatusNotifierWatcher on a bus, as KDE's and GNOME's hosts provide it: it
// owns org.kde.StatusNotifierWatcher, says a host is registered and records the items that
// register. It lives on a thread of its own, so an item in the test's main thread can make
// blocking calls to it.
class FakeStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems SCRIPTABLE true)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered SCRIPTABLE true)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion SCRIPTABLE true)

public:
    QStringList registeredItems() const;
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service);
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString &) {}

Q_SIGNALS:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString &service);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    mutable QMutex m_mutex;
    QStringList m_items;
};

} // namespace pulsegrove::testing
