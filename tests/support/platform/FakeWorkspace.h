#pragma once

#include "Workspace.h"

namespace pulsegrove {

// A workspace whose notifications are posted by hand: for tests and for previews that must not
// react to the real machine's sleep.
class FakeWorkspace : public Workspace {
    Q_OBJECT
public:
    using Workspace::Workspace;

    void postDidWake() { Q_EMIT didWake(); }
    void postWillSleep() { Q_EMIT willSleep(); }
    void postScreensDidSleep() { Q_EMIT screensDidSleep(); }
    void postScreensDidWake() { Q_EMIT screensDidWake(); }
};

} // namespace pulsegrove
