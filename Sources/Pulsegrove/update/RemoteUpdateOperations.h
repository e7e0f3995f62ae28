#pragma once

#include "update/RemoteUpdateCandidate.h"
#include "update/RemoteUpdateState.h"

#include <QFuture>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <variant>

namespace pulsegrove {

// What a check found: the state it ends in (available, current or unavailable) and, for a signed
// update, the release to download.
struct RemoteUpdateCheckOutcome {
    RemoteUpdateState state;
    std::optional<RemoteUpdateCandidate> candidate;
};

// A verified download, ready to reveal or to install.
struct RemoteUpdateDownload {
    std::filesystem::path fileURL;
    bool automaticInstallReady = false;
};

// The work behind the update store's states, one function each, so a release service, a
// downloader or an installer can be put in place of one of them without touching the state
// machine. Every function is called on the main thread; the futures may finish on any thread.
struct RemoteUpdateOperations {
    // The sentence every failed or impossible check ends with.
    static QString unavailableMessage() { return QStringLiteral("暂时无法检查更新；不会下载或执行任何文件"); }

    // Asks the release service, then the website, for a build newer than the running one.
    std::function<QFuture<RemoteUpdateCheckOutcome>(std::stop_token)> check;
    // Downloads and verifies a signed release: the staged file, or the sentence to show.
    std::function<QFuture<std::variant<RemoteUpdateDownload, QString>>(const RemoteUpdateCandidate &)>
        downloadAndVerify;
    // Hands a verified download to the installer; false when the installation could not start.
    std::function<QFuture<bool>(const QString &version, const std::filesystem::path &fileURL)> install;
    std::function<void()> openDownloadsPage;
    std::function<void(const std::filesystem::path &fileURL)> revealInFileManager;

    // The operations of this build. No release service is configured, so a check reaches no
    // network at all and ends, one event-loop turn later, in the unavailable sentence; the other
    // operations are never reached without a found update and fail quietly if they are.
    static RemoteUpdateOperations withoutReleaseService();
};

} // namespace pulsegrove
