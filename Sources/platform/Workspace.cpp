#include "Workspace.h"

#include "PlatformFactory.h"

namespace pulsegrove {

Workspace *Workspace::shared()
{
    return PlatformFactory::sharedWorkspace();
}

} // namespace pulsegrove
