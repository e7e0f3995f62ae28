#include "update/UpdateInstaller.h"

#include "AtomicFile.h"
#include "Logger.h"
#include "MainBundle.h"
#include "PlatformFactory.h"
#include "foundation/SmallFileReader.h"
#include "update/RollbackAlert.h"
#include "update/RollbackNotice.h"
#include "update/UpdateHelperRequest.h"

#include <QCoreApplication>
#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

// The physical form of a path whose last parts may not exist yet, for comparing places.
std::filesystem::path physical(const std::filesystem::path &path)
{
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

// The update folder as it really lies. The folders above it may be links (a linked ~/.cache is
// common), the root itself never: followed, it could make any folder, the installed
// application's among them, look like the update folder. Empty when the root is something other
// than a real folder; missing, it is returned as it is, and nothing lies inside it.
std::optional<std::filesystem::path> physicalRoot(const std::filesystem::path &root)
{
    struct stat status {};
    if (::lstat(root.c_str(), &status) == 0 && !S_ISDIR(status.st_mode))
        return std::nullopt;
    const auto normal = root.lexically_normal();
    const auto folder = normal.has_filename() ? normal : normal.parent_path();
    return physical(folder.parent_path()) / folder.filename();
}

// The copy a helper run deletes: its ".app" folder when that lies inside the update folder,
// else the executable alone.
std::filesystem::path helperCopy(const std::filesystem::path &executable, const std::filesystem::path &root)
{
    const MainBundle bundle(executable);
    if (bundle.isApplicationBundle() && UpdateFolder::isStrictlyInside(bundle.bundleURL(), root))
        return bundle.bundleURL();
    return executable;
}

// Removes whatever the notice's name holds: a file, a link (not its target), a FIFO, or an
// empty folder. A folder with content is not ours to empty and stays.
bool removeNotice(const std::filesystem::path &path)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    if (errno == EISDIR || errno == EPERM)
        return ::rmdir(path.c_str()) == 0;
    return false;
}

} // namespace

UpdateInstaller::Context UpdateInstaller::Context::current()
{
    return Context{UpdateFolder::forEnvironment(Environment::current()), MainBundle::main().executableURL(),
                   RunningVersion::current(), PlatformFactory::sharedSystemLog(), &RollbackAlert::present};
}

std::optional<int> UpdateInstaller::helperExitCodeIfRequested(const QStringList &arguments)
{
    // The cheap argument check first: an ordinary start reads nothing else.
    if (!UpdateHelperRequest::parse(arguments))
        return std::nullopt;
    return helperExitCodeIfRequested(arguments, Context::current());
}

std::optional<int> UpdateInstaller::helperExitCodeIfRequested(const QStringList &arguments,
                                                              const Context &context)
{
    const auto request = UpdateHelperRequest::parse(arguments);
    if (!request || !context.folder)
        return std::nullopt;
    const auto root = physicalRoot(context.folder->root());
    if (!root) {
        // Nothing can be told to lie inside a linked update folder: refused, deleting nothing.
        if (context.log)
            Logger(context.log, QStringLiteral("update"))
                .error(QStringLiteral("Update helper refused: the update folder is a link or not a folder"));
        return 1;
    }
    const auto executable = physical(context.executable);
    if (!UpdateFolder::isStrictlyInside(executable, *root))
        return std::nullopt;
    if (context.log)
        Logger(context.log, QStringLiteral("update"))
            .error(
                QStringLiteral("Update helper stopped: this build cannot read install plans, so nothing was "
                               "installed (plan %{private}s)"),
                {QString::fromStdString(request->installPlan.string())});
    std::error_code ignored;
    std::filesystem::remove_all(helperCopy(executable, *root), ignored);
    return 1;
}

void UpdateInstaller::markHealthyIfRequested(const QStringList &arguments)
{
    if (arguments.contains(QLatin1String(healthMarkerOption)))
        markHealthyIfRequested(arguments, Context::current());
}

bool UpdateInstaller::markHealthyIfRequested(const QStringList &arguments, const Context &context)
{
    const auto option = arguments.indexOf(QLatin1String(healthMarkerOption), 1);
    if (option < 0 || option + 1 >= arguments.size() || !context.folder)
        return false;
    const std::filesystem::path marker(arguments.at(option + 1).toStdString());
    const auto healthArea = context.folder->healthArea();
    if (!UpdateFolder::isStrictlyInside(marker, healthArea) || !marker.has_filename())
        return false;
    const auto normalMarker = marker.lexically_normal();
    if (!context.folder->prepareFolder(normalMarker.parent_path()))
        return false;
    // Replace a file of ours; never a link, a folder or anything else put there.
    struct stat status {};
    if (::lstat(normalMarker.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return false;
    try {
        AtomicFile::write(normalMarker, context.version.healthMarkerText().toStdString(), 0600);
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

void UpdateInstaller::presentRollbackNoticeIfNeeded()
{
    presentRollbackNoticeIfNeeded(Context::current());
}

std::optional<QString> UpdateInstaller::presentRollbackNoticeIfNeeded(const Context &context)
{
    if (!context.folder)
        return std::nullopt;
    const auto path = context.folder->rollbackNotice();
    // Capped, never through a link, never waiting on a FIFO; anything but a small regular file
    // is no notice.
    const auto read = SmallFileReader::read(path, RollbackNotice::maximumSize);
    if (read.status == SmallFileReader::Status::missing)
        return std::nullopt;
    // Deleted first, so a notice is shown once at most, even when showing it fails.
    const bool removed = removeNotice(path);
    const auto notice = read.isRead() ? RollbackNotice::parse(read.content) : std::nullopt;
    if (!notice || !removed)
        return std::nullopt;
    if (context.presentRollbackAlert) {
        auto present = context.presentRollbackAlert;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [present, version = notice->version] { present(version); },
            Qt::QueuedConnection);
    }
    return notice->version;
}

} // namespace pulsegrove
