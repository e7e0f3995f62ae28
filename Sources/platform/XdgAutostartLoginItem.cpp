#include "XdgAutostartLoginItem.h"

#include "AtomicFile.h"
#include "DesktopEntry.h"
#include "foundation/PrivateFolder.h"
#include "foundation/SmallFileReader.h"
#include "foundation/UserDirectories.h"

#include <QDesktopServices>
#include <QUrl>
#include <system_error>

namespace pulsegrove {

namespace {

// An entry of ours is a few hundred bytes. The entry is read from the quota store's construction
// on the GUI thread at start, so whatever stands in its place must neither block nor be read
// without bound, and a link is not followed: registering replaces it with a file of our own.
constexpr std::size_t entryFileSizeLimit = 64 * 1024;

std::optional<std::string> readEntry(const std::filesystem::path &path)
{
    auto file = SmallFileReader::read(path, entryFileSizeLimit);
    if (!file.isRead())
        return std::nullopt;
    return std::move(file.content);
}

// An entry counts as ours and active when the session would start exactly our executable from it.
bool startsExecutable(const DesktopEntry &entry, const std::filesystem::path &executable)
{
    const std::string group = DesktopEntry::mainGroup;
    if (entry.boolValue(group, "Hidden") == true ||
        entry.boolValue(group, "X-GNOME-Autostart-enabled") == false)
        return false;
    const auto exec = entry.value(group, "Exec");
    const auto arguments = exec ? DesktopEntry::splitExec(*exec) : std::nullopt;
    if (!arguments || arguments->empty())
        return false;
    return std::filesystem::path(arguments->front()).lexically_normal() == executable.lexically_normal();
}

[[noreturn]] void throwSystemError(const std::error_code &error)
{
    // The message alone: the caller shows it after its own sentence.
    throw std::runtime_error(error.message());
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path entryFile,
                                             std::optional<std::filesystem::path> executable)
    : m_entryFile(std::move(entryFile)), m_executable(std::move(executable))
{
}

XdgAutostartLoginItem XdgAutostartLoginItem::forBundle(const MainBundle &bundle,
                                                       const Environment &environment)
{
    const auto config = UserDirectories::configDirectory(environment);
    auto entryFile = config ? *config / "autostart" / entryFileName : std::filesystem::path();
    std::optional<std::filesystem::path> executable;
    if (bundle.isApplicationBundle())
        executable = bundle.executableURL();
    return XdgAutostartLoginItem(std::move(entryFile), std::move(executable));
}

LoginItemStatus XdgAutostartLoginItem::status() const
{
    if (!canManage())
        return LoginItemStatus::notFound;
    const auto text = readEntry(m_entryFile);
    if (!text)
        return LoginItemStatus::notRegistered;
    const auto entry = DesktopEntry::parse(*text);
    return startsExecutable(entry, *m_executable) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
}

void XdgAutostartLoginItem::registerService()
{
    if (!m_executable || m_entryFile.empty())
        throwSystemError(std::make_error_code(std::errc::no_such_file_or_directory));
    if (!canManage())
        throwSystemError(std::make_error_code(std::errc::invalid_argument));
    if (const auto error = PrivateFolder::create(m_entryFile.parent_path()))
        throwSystemError(error);
    try {
        AtomicFile::write(m_entryFile, entryText(*m_executable));
    } catch (const std::system_error &failure) {
        throwSystemError(failure.code());
    }
}

void XdgAutostartLoginItem::unregisterService()
{
    std::error_code error;
    std::filesystem::remove(m_entryFile, error);
    if (error)
        throwSystemError(error);
}

void XdgAutostartLoginItem::openSystemSettingsLoginItems()
{
    if (m_entryFile.empty())
        return;
    // The folder may not exist before the first registration; a file manager cannot open that.
    const auto folder = QString::fromStdString(m_entryFile.parent_path().string());
    PrivateFolder::create(m_entryFile.parent_path());
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool XdgAutostartLoginItem::canManage() const
{
    // An executable whose path no desktop entry can hold (bytes that are not UTF-8, control
    // characters without an escape) cannot be started from one: writing it anyway would leave an
    // entry the session ignores or misreads while the switch showed "on". The launchers add
    // more: `gio launch` and systemd's autostart generator look the program up by its written
    // form, where '%' is doubled, and the generator unescapes a '\' once more than the format
    // says and cuts the path at a carriage return, so such paths are not started from an entry.
    return m_executable && !m_entryFile.empty() && DesktopEntry::canHoldValue(m_executable->string()) &&
           m_executable->string().find_first_of("%\\\r") == std::string::npos;
}

std::string XdgAutostartLoginItem::entryText(const std::filesystem::path &executable)
{
    const auto exec = DesktopEntry::escapeValue(DesktopEntry::quoteExecArgument(executable.string()));
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Pulse Grove\n"
           "Exec=" +
           exec +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

} // namespace pulsegrove
