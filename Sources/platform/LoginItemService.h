#pragma once

namespace pulsegrove {

// What the desktop reports about the application's login item.
enum class LoginItemStatus {
    notRegistered,
    enabled,
    // Registered but waiting for the user's consent; desktops without such a step never report it.
    requiresApproval,
    // There is no installed application to register (for example a run from a build tree).
    notFound,
};

// The application's own entry among the programs the desktop starts at login.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    virtual LoginItemStatus status() const = 0;
    // Both throw an exception derived from std::exception whose what() is the system's message.
    virtual void registerService() = 0;
    virtual void unregisterService() = 0;
    // Shows the user where login items are managed.
    virtual void openSystemSettingsLoginItems() = 0;
};

} // namespace pulsegrove
