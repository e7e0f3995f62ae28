#include "RecordingSystemLog.h"
#include "ScopedEnvironmentVariable.h"
#include "ScopedUmask.h"
#include "SingleApplicationInstance.h"
#include "TemporaryDirectory.h"
#include "TerminationSignalNotifier.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pulsegrove;
using namespace pulsegrove::testing;

namespace {

using Role = SingleApplicationInstance::Role;

QString folderOf(const TemporaryDirectory &directory)
{
    return QString::fromStdString(directory.path().string());
}

// The id of a process that has already ended.
qint64 endedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Asks from another thread, as a second process would, while this thread serves the request.
bool served(const std::function<bool()> &ask)
{
    auto answer = std::async(std::launch::async, ask);
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return answer.get();
}

} // namespace

TEST(SingleApplicationInstanceTests, ASecondStartAsksTheFirstToReopenAndNeverTakesItsSocket)
{
    TemporaryDirectory runtime;
    SingleApplicationInstance first(folderOf(runtime));
    ASSERT_EQ(first.claim(), Role::primary);
    EXPECT_FALSE(first.isListening()) << "claiming only takes the lock";
    ASSERT_TRUE(first.listen());
    EXPECT_TRUE(first.serverName().contains(QString::number(::getuid())));
    QSignalSpy reopened(&first, &SingleApplicationInstance::reopenRequested);

    SingleApplicationInstance second(folderOf(runtime));
    ASSERT_EQ(second.claim(), Role::secondary);
    EXPECT_FALSE(second.listen());
    EXPECT_TRUE(QFile::exists(first.serverName()));
    for (const int count : {1, 2}) {
        EXPECT_TRUE(served([&] { return second.requestReopen(); }));
        EXPECT_EQ(reopened.count(), count);
    }
    QSignalSpy previews(&first, &SingleApplicationInstance::previewRequested);
    EXPECT_TRUE(served([&] { return second.requestPreview(QStringLiteral("--preview-status-item")); }));
    ASSERT_EQ(previews.count(), 1);
    EXPECT_EQ(previews.takeFirst().at(0).toString(), QStringLiteral("--preview-status-item"));
    EXPECT_FALSE(second.requestPreview(QStringLiteral("--x\nreopen"), 300)) << "only an option's form is sent";
    EXPECT_EQ(reopened.count(), 2);

    TemporaryDirectory silent;
    SingleApplicationInstance holder(folderOf(silent));
    QLockFile lock(holder.lockFilePath());
    ASSERT_TRUE(lock.tryLock(0));
    ASSERT_EQ(holder.claim(), Role::secondary);
    EXPECT_FALSE(holder.requestReopen(300)) << "a holder that does not listen cannot be asked";

    SingleApplicationInstance nowhere(QStringLiteral("/nonexistent/runtime"));
    EXPECT_EQ(nowhere.claim(), Role::unguarded);
}

TEST(SingleApplicationInstanceTests, WhatACrashedRunLeftBehindDoesNotBlockTheNextStart)
{
    struct Case {
        const char *name;
        bool staleLock;
        bool staleSocketFile;
    };
    for (const auto &testCase : {Case{"stale lock", true, false}, Case{"stale socket file", false, true},
                                 Case{"both", true, true}}) {
        TemporaryDirectory runtime;
        SingleApplicationInstance probe(folderOf(runtime));
        if (testCase.staleLock) {
            QFile lock(probe.lockFilePath());
            ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(endedProcessId()) + "\npulsegrove\n\n");
        }
        if (testCase.staleSocketFile) {
            QFile socket(probe.serverName());
            ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
        }
        SingleApplicationInstance next(folderOf(runtime));
        EXPECT_EQ(next.claim(), Role::primary) << testCase.name;
        EXPECT_TRUE(next.listen()) << testCase.name;
        QSignalSpy reopened(&next, &SingleApplicationInstance::reopenRequested);
        SingleApplicationInstance later(folderOf(runtime));
        ASSERT_EQ(later.claim(), Role::secondary) << testCase.name;
        EXPECT_TRUE(served([&] { return later.requestReopen(); })) << testCase.name;
        EXPECT_EQ(reopened.count(), 1) << testCase.name;
    }
}

TEST(SingleApplicationInstanceTests, RequestsOtherThanReopenAreRefused)
{
    TemporaryDirectory runtime;
    SingleApplicationInstance first(folderOf(runtime));
    ASSERT_EQ(first.claim(), Role::primary);
    ASSERT_TRUE(first.listen());
    QSignalSpy reopened(&first, &SingleApplicationInstance::reopenRequested);
    QSignalSpy previews(&first, &SingleApplicationInstance::previewRequested);
    for (const QByteArray &request :
         {QByteArray("quit\n"), QByteArray("reopen"), QByteArray(4096, 'x'), QByteArray("reopen\nreopen\n").mid(1),
          QByteArray("preview --x"), QByteArray("preview ../x\n"), QByteArray("preview --X\n"),
          QByteArray("preview --x y\n")}) {
        QLocalSocket socket;
        socket.connectToServer(first.serverName());
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(request);
        socket.waitForBytesWritten(1000);
        QTest::qWait(50);
        socket.disconnectFromServer();
        QTest::qWait(20);
    }
    EXPECT_EQ(reopened.count() + previews.count(), 0);
}

// Without a runtime folder of the session, the lock and socket go to a folder of the user's own
// in the temporary folder. Its name is predictable, so whatever someone else could have made or
// changed there is refused with one log line, and the start runs without the guard rather than
// talk to a socket it cannot trust.
TEST(SingleApplicationInstanceTests, OnlyAFolderOfTheUsersAloneHoldsTheLockAndSocket)
{
    TemporaryDirectory temporary;
    const ScopedUmask openToAll;
    const ScopedEnvironmentVariable temporaryFolder("TMPDIR", temporary.path().string());
    const auto own = temporary.path() / ("io.velorn.Pulsegrove-" + std::to_string(::getuid()));
    ::chmod(temporary.path().c_str(), 0777); // as a runtime folder, open to others, it is refused
    for (const auto &runtime : {std::optional<std::string>(), std::optional(temporary.path().string())}) {
        const ScopedEnvironmentVariable runtimeFolder("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(SingleApplicationInstance::defaultRuntimeDirectory().toStdString(), own.string());
        EXPECT_EQ(std::filesystem::status(own).permissions(), std::filesystem::perms::owner_all);
    }
    EXPECT_EQ(SingleApplicationInstance(QString::fromStdString(own.string())).claim(), Role::primary);

    struct Case {
        const char *name;
        std::function<void(const std::filesystem::path &)> plant;
    };
    const std::vector<Case> cases = {
        {"open to others", [](const auto &folder) { ::chmod(folder.c_str(), 0777); }},
        {"open to the group", [](const auto &folder) { ::chmod(folder.c_str(), 0750); }},
        {"a link", [&](const auto &folder) {
             std::filesystem::remove(folder);
             std::filesystem::create_directory_symlink(own, folder);
         }},
        // Only root can give a folder away: skipped for anyone else.
        {"another user's", [](const auto &folder) { EXPECT_EQ(::chown(folder.c_str(), 4242, 4242), 0); }},
    };
    for (const auto &testCase : cases) {
        if (testCase.name == cases.back().name && ::geteuid() != 0)
            continue;
        const auto folder = temporary.path() / testCase.name;
        std::filesystem::create_directory(folder);
        ::chmod(folder.c_str(), 0700);
        testCase.plant(folder);
        const auto log = std::make_shared<RecordingSystemLog>();
        SingleApplicationInstance instance(QString::fromStdString(folder.string()), log);
        EXPECT_EQ(instance.claim(), Role::unguarded) << testCase.name;
        EXPECT_FALSE(instance.listen()) << testCase.name;
        EXPECT_EQ(log->entries.size(), 1u) << testCase.name;
        EXPECT_FALSE(QFile::exists(instance.lockFilePath())) << testCase.name;
    }
}

TEST(TerminationSignalNotifierTests, EachTerminationSignalArrivesInTheEventLoopUnlessIgnoredAtStart)
{
    // As under `nohup`: SIGHUP was ignored before the notifier was made, and stays so. The other
    // two start at their defaults, whatever this process inherited (a background job's shell
    // ignores SIGINT for it).
    ::signal(SIGHUP, SIG_IGN);
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    {
        TerminationSignalNotifier notifier;
        ASSERT_TRUE(notifier.isInstalled());
        QSignalSpy requested(&notifier, &TerminationSignalNotifier::terminationRequested);
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            ::raise(signalNumber);
            ASSERT_EQ(requested.wait(signalNumber == SIGHUP ? 300 : 2000), signalNumber != SIGHUP) << signalNumber;
            if (signalNumber != SIGHUP) {
                EXPECT_EQ(requested.takeFirst().at(0).toInt(), signalNumber);
            }
        }
        TerminationSignalNotifier second;
        EXPECT_FALSE(second.isInstalled()) << "one per process";
    }
    EXPECT_EQ(::signal(SIGHUP, SIG_DFL), SIG_IGN) << "the notifier's end must not undo the ignoring either";
}
