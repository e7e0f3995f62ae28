#pragma once

namespace pulsegrove {

// The user-defaults keys of the interface preferences. Every reader and writer goes through these
// constants so a key text is spelled in one place only. The ".v1" suffix lets a future format
// change move to a new key instead of misreading an old value.
struct PulsegrovePreferenceKeys {
    PulsegrovePreferenceKeys() = delete;

    // Text list of QuotaModule raw values that are hidden.
    static constexpr const char *hiddenModules = "io.velorn.Pulsegrove.hiddenModules.v1";
    // Bool, true when absent.
    static constexpr const char *showDockIcon = "io.velorn.Pulsegrove.showDockIcon.v1";
    // QuotaThemeID raw value text, "aurora" when absent.
    static constexpr const char *theme = "io.velorn.Pulsegrove.theme.v1";
    // Bool, false when absent; read directly by the reset-hints card and the status item.
    static constexpr const char *resetReminders = "io.velorn.Pulsegrove.resetReminders.v1";
    // Bool, true when absent.
    static constexpr const char *automaticallyChecksForUpdates =
        "io.velorn.Pulsegrove.automaticallyChecksForUpdates.v1";
};

} // namespace pulsegrove
