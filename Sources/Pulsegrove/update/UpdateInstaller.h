#pragma once

#include "SystemLog.h"
#include "update/RunningVersion.h"
#include "update/UpdateFolder.h"

#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace pulsegrove {

// The installer's three entry points at start: the update-helper run, the health marker of a
// freshly installed version and the notice of a rolled-back update. Each checks everything it
// is given and, when anything is off, does nothing visible and writes nothing outside the
// update folder.
struct UpdateInstaller {
    UpdateInstaller() = delete;

    // Everything the hooks read from the process, so tests can give their own.
    struct Context {
        std::optional<UpdateFolder> folder;
        std::filesystem::path executable;
        RunningVersion version;
        std::shared_ptr<SystemLog> log;
        // Shows the rollback alert naming the version.
        std::function<void(const QString &version)> presentRollbackAlert;

        static Context current();
    };

    // An exit code only for a helper run: exactly four arguments ("--pulsegrove-update-helper",
    // the install plan's path and the parent's process id) while this executable is a helper
    // copy inside the update folder. This build knows no install plan format, so such a run
    // installs nothing: it logs why, deletes the helper copy and returns 1. Otherwise nothing,
    // and nothing is touched.
    static std::optional<int> helperExitCodeIfRequested(const QStringList &arguments);
    static std::optional<int> helperExitCodeIfRequested(const QStringList &arguments, const Context &context);

    // With "--pulsegrove-update-health-marker" and a path inside the update folder's health
    // area, writes the running version there (owner-only, atomically, folders made as needed,
    // no link below the update folder followed). Otherwise nothing. Returns whether it wrote.
    static void markHealthyIfRequested(const QStringList &arguments);
    static bool markHealthyIfRequested(const QStringList &arguments, const Context &context);

    // Reads the rollback notice (capped, never following a link, never waiting on a FIFO),
    // deletes it, and for a valid one shows the alert on a later turn of the event loop; a
    // malformed notice is deleted without an alert. Returns the version the alert names.
    static void presentRollbackNoticeIfNeeded();
    static std::optional<QString> presentRollbackNoticeIfNeeded(const Context &context);

    static constexpr const char *healthMarkerOption = "--pulsegrove-update-health-marker";
};

} // namespace pulsegrove
