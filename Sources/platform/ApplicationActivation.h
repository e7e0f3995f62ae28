#pragma once

namespace pulsegrove {

enum class ActivationPolicy {
    // An ordinary application: its windows appear in the taskbar.
    regular,
    // A tray-only application: its windows stay out of the taskbar; the tray item remains.
    accessory,
};

// How the application presents itself to the desktop and brings itself to the front.
class ApplicationActivation {
public:
    virtual ~ApplicationActivation() = default;

    virtual ActivationPolicy activationPolicy() const = 0;
    // True when the desktop accepted the policy.
    virtual bool setActivationPolicy(ActivationPolicy policy) = 0;
    // Raises and focuses the application's front window, if it has one.
    virtual void activate(bool ignoringOtherApps) = 0;
};

} // namespace pulsegrove
