#pragma once

#include "PlatformServices.h"
#include "TrayHost.h"

namespace pulsegrove {

// The one place that chooses the Linux implementations of the desktop services. Process-wide
// services (workspace, log, activation) are made once and shared; callers and headers never
// choose an implementation themselves.
class PlatformFactory {
public:
    static PlatformServices production();

    static Workspace *sharedWorkspace();
    static std::shared_ptr<SystemLog> sharedSystemLog();
    static std::shared_ptr<ApplicationActivation> sharedActivation();
    // The login item of this process's bundle, under the current environment's config folder.
    static std::shared_ptr<LoginItemService> mainAppLoginItem();
    // The desktop's tray, watched for the life of the application.
    static TrayHost *sharedTrayHost();
};

} // namespace pulsegrove
