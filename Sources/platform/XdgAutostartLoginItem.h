#pragma once

#include "LoginItemService.h"
#include "MainBundle.h"
#include "foundation/Environment.h"

#include <filesystem>
#include <optional>

namespace pulsegrove {

// The login item as a freedesktop autostart entry: "<config>/autostart/io.velorn.Pulsegrove.desktop"
// whose Exec starts the installed application's executable. Session managers start every entry
// of that folder at login unless it says Hidden=true or X-GNOME-Autostart-enabled=false. An
// executable whose path no desktop entry can hold, or that the launchers would not start from
// one ('%', '\' or a carriage return in it), is reported as notFound: it cannot be managed.
// The folder, when made here, and the entry are the user's alone.
class XdgAutostartLoginItem : public LoginItemService {
public:
    static constexpr const char *entryFileName = "io.velorn.Pulsegrove.desktop";

    // `executable` is absent when there is no installed application to start at login.
    XdgAutostartLoginItem(std::filesystem::path entryFile, std::optional<std::filesystem::path> executable);
    // The entry under $XDG_CONFIG_HOME (else ~/.config) for the given bundle's executable.
    static XdgAutostartLoginItem forBundle(const MainBundle &bundle, const Environment &environment);

    const std::filesystem::path &entryFile() const { return m_entryFile; }

    LoginItemStatus status() const override;
    void registerService() override;
    void unregisterService() override;
    void openSystemSettingsLoginItems() override;

    // The complete entry written for an executable whose path a desktop entry can hold.
    static std::string entryText(const std::filesystem::path &executable);

private:
    bool canManage() const;

    std::filesystem::path m_entryFile;
    std::optional<std::filesystem::path> m_executable;
};

} // namespace pulsegrove
