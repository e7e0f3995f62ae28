#pragma once

#include "ApplicationActivation.h"
#include "LoginItemService.h"
#include "MainBundle.h"
#include "SystemLog.h"
#include "Workspace.h"

#include <QPointer>
#include <memory>

namespace pulsegrove {

// The desktop services a store needs, handed over as one bundle so tests can swap each for a fake.
struct PlatformServices {
    QPointer<Workspace> workspace;
    std::shared_ptr<LoginItemService> loginItem;
    std::shared_ptr<SystemLog> systemLog;
    std::shared_ptr<ApplicationActivation> activation;
    MainBundle mainBundle;
};

} // namespace pulsegrove
