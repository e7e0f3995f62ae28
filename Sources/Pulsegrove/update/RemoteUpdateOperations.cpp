#include "update/RemoteUpdateOperations.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPromise>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace pulsegrove {

namespace {

// A future that finishes with `value` on a later turn of the event loop, as an answer from
// elsewhere would: callers see the state they set before it arrives.
template <typename T> QFuture<T> finishLater(T value)
{
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    QTimer::singleShot(0, QCoreApplication::instance(), [promise, value = std::move(value)]() mutable {
        promise->addResult(std::move(value));
        promise->finish();
    });
    return future;
}

} // namespace

RemoteUpdateOperations RemoteUpdateOperations::withoutReleaseService()
{
    RemoteUpdateOperations operations;
    operations.check = [](std::stop_token) {
        return finishLater(
            RemoteUpdateCheckOutcome{RemoteUpdateState::unavailable(unavailableMessage()), {}});
    };
    operations.downloadAndVerify = [](const RemoteUpdateCandidate &) {
        return finishLater(std::variant<RemoteUpdateDownload, QString>(unavailableMessage()));
    };
    operations.install = [](const QString &, const std::filesystem::path &) { return finishLater(false); };
    // The downloads page has no known address in this build.
    operations.openDownloadsPage = [] {};
    operations.revealInFileManager = [](const std::filesystem::path &fileURL) {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(fileURL.parent_path().string())));
    };
    return operations;
}

} // namespace pulsegrove
