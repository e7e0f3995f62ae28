#include "MainBundle.h"

#include <algorithm>
#include <string_view>
#include <system_error>

namespace pulsegrove {

namespace {

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::filesystem::path bundleFor(const std::filesystem::path &executable)
{
    const auto folder = executable.parent_path();
    const auto candidate = folder.parent_path();
    if (folder.filename() == "bin" && lowercased(candidate.extension().string()) == ".app")
        return candidate;
    return folder;
}

} // namespace

MainBundle::MainBundle(std::filesystem::path executableURL)
    : m_executableURL(executableURL.lexically_normal()), m_bundleURL(bundleFor(m_executableURL))
{
}

MainBundle MainBundle::main()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return fromExecutableLink(error ? std::filesystem::path() : executable);
}

MainBundle MainBundle::fromExecutableLink(const std::filesystem::path &linkTarget)
{
    constexpr std::string_view deletedSuffix = " (deleted)";
    std::string path = linkTarget.string();
    if (path.size() > deletedSuffix.size() && path.ends_with(deletedSuffix))
        path.resize(path.size() - deletedSuffix.size());
    return MainBundle(path);
}

std::string MainBundle::pathExtension() const
{
    const auto extension = m_bundleURL.extension().string();
    return extension.empty() ? extension : extension.substr(1);
}

bool MainBundle::isApplicationBundle() const
{
    return lowercased(pathExtension()) == "app";
}

std::filesystem::path MainBundle::resourcesURL() const
{
    return isApplicationBundle() ? m_bundleURL / "share" : m_bundleURL;
}

} // namespace pulsegrove
