#include "PlatformFactory.h"

#include "LinuxTrayHost.h"
#include "LinuxWorkspace.h"
#include "QtApplicationActivation.h"
#include "SyslogSystemLog.h"
#include "XdgAutostartLoginItem.h"

#include <QCoreApplication>

namespace pulsegrove {

PlatformServices PlatformFactory::production()
{
    return PlatformServices{sharedWorkspace(), mainAppLoginItem(), sharedSystemLog(), sharedActivation(),
                            MainBundle::main()};
}

Workspace *PlatformFactory::sharedWorkspace()
{
    // Parented to the application (when there is one) so its bus connections end with it; made
    // again should a later application object ask.
    static QPointer<Workspace> instance;
    if (!instance)
        instance = new LinuxWorkspace(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                      QCoreApplication::instance());
    return instance;
}

TrayHost *PlatformFactory::sharedTrayHost()
{
    static QPointer<TrayHost> instance;
    if (!instance)
        instance = new LinuxTrayHost(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return instance;
}

std::shared_ptr<SystemLog> PlatformFactory::sharedSystemLog()
{
    static const auto instance = std::make_shared<SyslogSystemLog>();
    return instance;
}

std::shared_ptr<ApplicationActivation> PlatformFactory::sharedActivation()
{
    static const auto instance = std::make_shared<QtApplicationActivation>();
    return instance;
}

std::shared_ptr<LoginItemService> PlatformFactory::mainAppLoginItem()
{
    return std::make_shared<XdgAutostartLoginItem>(
        XdgAutostartLoginItem::forBundle(MainBundle::main(), Environment::current()));
}

} // namespace pulsegrove
