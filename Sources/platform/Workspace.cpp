#include "Workspace.h"

namespace pulsegrove {

Workspace *Workspace::shared()
{
    // Until the desktop-bus implementation joins, the shared workspace announces nothing.
    static Workspace *instance = new Workspace();
    return instance;
}

} // namespace pulsegrove
