#pragma once

#include "update/RemoteUpdateOperations.h"

#include <QPromise>
#include <memory>
#include <vector>

namespace pulsegrove::testing {

// Update operations whose answers the test gives when it chooses; every call is recorded.
class FakeRemoteUpdateOperations {
public:
    template <typename T> struct Pending {
        std::shared_ptr<QPromise<T>> promise = std::make_shared<QPromise<T>>();
        void finish(T value)
        {
            promise->addResult(std::move(value));
            promise->finish();
        }
    };

    RemoteUpdateOperations operations()
    {
        RemoteUpdateOperations operations;
        operations.check = [this](std::stop_token) { return start(checks); };
        operations.downloadAndVerify = [this](const RemoteUpdateCandidate &candidate) {
            downloadedCandidates.push_back(candidate);
            return start(downloads);
        };
        operations.install = [this](const QString &, const std::filesystem::path &) {
            return start(installs);
        };
        operations.openDownloadsPage = [this] { ++downloadsPageOpenings; };
        operations.revealInFileManager = [this](const std::filesystem::path &file) {
            revealed.push_back(file);
        };
        return operations;
    }

    std::vector<Pending<RemoteUpdateCheckOutcome>> checks;
    std::vector<Pending<std::variant<RemoteUpdateDownload, QString>>> downloads;
    std::vector<Pending<bool>> installs;
    std::vector<RemoteUpdateCandidate> downloadedCandidates;
    std::vector<std::filesystem::path> revealed;
    int downloadsPageOpenings = 0;

private:
    template <typename T> static QFuture<T> start(std::vector<Pending<T>> &calls)
    {
        calls.emplace_back();
        calls.back().promise->start();
        return calls.back().promise->future();
    }
};

} // namespace pulsegrove::testing
