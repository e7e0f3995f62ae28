#pragma once

#include <filesystem>
#include <string>

namespace pulsegrove {

// Where the running application lives. An installed application is a relocatable folder
// "Pulsegrove.app/" holding "bin/pulsegrove" and "share/..."; run from that "bin/", the bundle is
// the ".app" folder. Anywhere else (a build tree, a bare copy) the bundle is the executable's own
// folder, which has no ".app" extension, so nothing may register it as a login item.
class MainBundle {
public:
    explicit MainBundle(std::filesystem::path executableURL);
    // The bundle of this process, from the kernel's record of the running executable.
    static MainBundle main();
    // The bundle for the target of /proc/self/exe. Once the file has been replaced on disk (an
    // installation over the running copy) the kernel appends " (deleted)"; the path the
    // application was started from is still the one to start at login.
    static MainBundle fromExecutableLink(const std::filesystem::path &linkTarget);

    const std::filesystem::path &executableURL() const { return m_executableURL; }
    const std::filesystem::path &bundleURL() const { return m_bundleURL; }
    // The bundle folder's extension without the dot ("app" for an installed application).
    std::string pathExtension() const;
    bool isApplicationBundle() const;
    // Read-only data files: "share" inside an application bundle, else beside the executable.
    std::filesystem::path resourcesURL() const;

private:
    std::filesystem::path m_executableURL;
    std::filesystem::path m_bundleURL;
};

} // namespace pulsegrove
