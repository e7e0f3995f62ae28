#include "HostileFile.h"
#include "RecordingSystemLog.h"
#include "ScopedDescriptorExhaustion.h"
#include "ScopedEnvironmentVariable.h"
#include "ScopedUmask.h"
#include "SingleApplicationInstance.h"
#include "TemporaryDirectory.h"
#include "TerminationSignalNotifier.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
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

// One run of the cut-down start. Whatever the test's outcome, none is left running.
class Start {
public:
    explicit Start(const std::filesystem::path &runtime)
    {
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        const char *const arguments[] = {SINGLE_INSTANCE_STARTER_PATH, runtime.c_str(), nullptr};
        if (::posix_spawn(&m_pid, SINGLE_INSTANCE_STARTER_PATH, &actions, nullptr,
                          const_cast<char *const *>(arguments), environ) != 0)
            m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        m_output = output[0];
    }
    ~Start()
    {
        kill();
        ::close(m_output);
    }
    Start(const Start &) = delete;
    Start &operator=(const Start &) = delete;

    // Until the start says it listens, or has ended without.
    bool listens()
    {
        pollfd readable{m_output, POLLIN, 0};
        char line[16] = {};
        return ::poll(&readable, 1, 20000) == 1 && ::read(m_output, line, sizeof line - 1) > 0 &&
               std::string_view(line) == "listening\n";
    }
    void kill()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
        exitCode();
    }
    // The exit code once it has ended; -1 for a signal.
    int exitCode()
    {
        int status = 0;
        if (m_pid > 0 && ::waitpid(m_pid, &status, 0) == m_pid)
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = -1;
        return m_exitCode;
    }

private:
    pid_t m_pid = -1;
    int m_output = -1;
    int m_exitCode = -1;
};

// Kills a start at a random moment of its first 50 ms, then starts again and hands a second start
// over to that one; what went wrong, or nothing.
std::string startAfterKill(const std::filesystem::path &runtime, std::mt19937 &random)
{
    {
        Start killed(runtime);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 50'000));
    }
    Start first(runtime);
    if (!first.listens())
        return "the start after the kill ended with " + std::to_string(first.exitCode());
    Start second(runtime);
    const int handedOver = second.exitCode();
    if (handedOver != 0 || first.exitCode() != 0)
        return "the second start ended with " + std::to_string(handedOver) + ", the first with " +
               std::to_string(first.exitCode());
    return {};
}

std::filesystem::file_type typeAt(const std::filesystem::path &path)
{
    return std::filesystem::symlink_status(path).type();
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
    EXPECT_FALSE(second.requestPreview(QStringLiteral("--x\nreopen"), 300))
        << "only an option's form is sent";
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

// Whatever stands at the socket's path is kept aside with a log line and the running copy listens,
// so a later start hands over; a socket that cannot be made at all is logged.
TEST(SingleApplicationInstanceTests, WhateverStandsAtTheSocketsPathIsMovedAsideAndALaterStartHandsOver)
{
    for (const auto kind : {HostileFile::Kind::folder, HostileFile::Kind::fifo, HostileFile::Kind::linkToRegular}) {
        SCOPED_TRACE(HostileFile::name(kind));
        const TemporaryDirectory runtime;
        const auto log = std::make_shared<RecordingSystemLog>();
        SingleApplicationInstance first(folderOf(runtime), log);
        const std::filesystem::path socketPath = first.serverName().toStdString();
        HostileFile::place(kind, socketPath, runtime.writeFile("target", ""));
        const auto placedType = typeAt(socketPath);
        ASSERT_EQ(first.claim(), Role::primary);
        ASSERT_TRUE(first.listen());
        ASSERT_EQ(log->entries.size(), 1u);
        EXPECT_TRUE(log->entries.front().rendered.contains(QStringLiteral("kept it as")));
        EXPECT_EQ(typeAt(socketPath.string() + ".corrupt"), placedType);
        SingleApplicationInstance later(folderOf(runtime));
        ASSERT_EQ(later.claim(), Role::secondary);
        EXPECT_TRUE(served([&] { return later.requestReopen(); }));
    }

    // Longer than a local socket's address can be.
    const TemporaryDirectory temporary;
    const auto deep = temporary.path() / std::string(100, 'r');
    ASSERT_TRUE(std::filesystem::create_directory(deep));
    std::filesystem::permissions(deep, std::filesystem::perms::owner_all);
    const auto log = std::make_shared<RecordingSystemLog>();
    SingleApplicationInstance unreachable(QString::fromStdString(deep.string()), log);
    ASSERT_EQ(unreachable.claim(), Role::primary);
    EXPECT_FALSE(unreachable.listen());
    ASSERT_EQ(log->entries.size(), 1u);
    EXPECT_TRUE(log->entries.front().rendered.contains(QStringLiteral("could not be made")));
}

// A start killed at any moment, even while it takes the lock, leaves nothing that stops the next
// one: the lock ends with its holder. Four folders take turns side by side to keep the test short.
TEST(SingleApplicationInstanceTests, EveryStartAfterAKillAtARandomMomentRunsAndALaterOneHandsOver)
{
    constexpr int folders = 4;
    constexpr int killsEach = 50;
    const unsigned seed = std::random_device()();
    std::vector<std::vector<std::string>> failures(folders);
    std::vector<std::thread> runs;
    for (int run = 0; run < folders; ++run) {
        runs.emplace_back([&, run] {
            const TemporaryDirectory runtime;
            std::mt19937 random(seed + unsigned(run));
            for (int kill = 0; kill < killsEach; ++kill) {
                if (auto failure = startAfterKill(runtime.path(), random); !failure.empty())
                    failures[size_t(run)].push_back(std::move(failure));
            }
        });
    }
    for (auto &run : runs)
        run.join();
    for (const auto &failed : failures)
        EXPECT_EQ(failed.size(), 0u) << (failed.empty() ? "" : failed.front()) << ", random seed " << seed;
}

// Whatever an earlier version, a crash or someone else left at the lock's path, the next start
// runs and a later one hands over to it. A regular file of the user's serves as the lock whatever
// it holds; anything else is kept aside with one log line. The lock file is 0600 under any umask.
TEST(SingleApplicationInstanceTests, WhateverStandsAtTheLockFilesPathTheStartRunsAndALaterOneHandsOver)
{
    using Kind = HostileFile::Kind;
    using Plant = std::function<void(const std::filesystem::path &)>;
    const auto text = [](const std::string &content, mode_t mode = 0600) -> Plant {
        return [=](const auto &path) {
            std::ofstream(path, std::ios::binary) << content;
            ::chmod(path.c_str(), mode);
        };
    };
    const auto hostile = [](Kind kind) -> Plant {
        return [kind](const auto &path) { HostileFile::place(kind, path, path.parent_path() / "target"); };
    };
    struct Case {
        std::string name;
        Plant plant;
        std::string aside; // the name's ending where it is kept; empty when it serves as the lock
    };
    const std::vector<Case> cases = {
        {"nothing", [](const auto &) {}, ""},
        {"an empty file", text(""), ""},
        {"garbage", text(std::string("\0\xff\n\n-1\n", 7)), ""},
        {"a dead process on another host",
         text(std::to_string(endedProcessId()) + "\npulsegrove\nelsewhere\n"), ""},
        {"a file open to all", text("", 0666), ""},
        {HostileFile::name(Kind::sparseGigabyte), hostile(Kind::sparseGigabyte), ""},
        {"a file its owner cannot read", text("", 0), ".corrupt"},
        {HostileFile::name(Kind::fifo), hostile(Kind::fifo), ".corrupt"},
        {HostileFile::name(Kind::folder), hostile(Kind::folder), ".corrupt"},
        {HostileFile::name(Kind::linkToDevZero), hostile(Kind::linkToDevZero), ".corrupt"},
        {HostileFile::name(Kind::linkToRegular), hostile(Kind::linkToRegular), ".corrupt"},
        {"a dangling link", [](const auto &path) { std::filesystem::create_symlink("gone", path); },
         ".corrupt"},
        {"a socket",
         [](const auto &path) {
             sockaddr_un address{AF_UNIX, {}};
             path.string().copy(address.sun_path, sizeof address.sun_path - 1);
             const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
             EXPECT_EQ(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
             ::close(socket);
         },
         ".corrupt"},
        {"a FIFO beside one kept before",
         [&](const auto &path) {
             hostile(Kind::fifo)(path);
             std::ofstream(path.string() + ".corrupt").flush();
         },
         ".corrupt-1"},
        // Only root can give a file away: skipped for anyone else.
        {"another user's file",
         [&](const auto &path) {
             text("")(path);
             ::chown(path.c_str(), 4242, 4242);
         },
         ".corrupt"},
    };
    const ScopedUmask openToAll;
    for (const auto &testCase : cases) {
        if (testCase.name == cases.back().name && ::geteuid() != 0)
            continue;
        const TemporaryDirectory runtime;
        const auto log = std::make_shared<RecordingSystemLog>();
        auto first = std::make_unique<SingleApplicationInstance>(folderOf(runtime), log);
        const std::filesystem::path lockFile = first->lockFilePath().toStdString();
        testCase.plant(lockFile);
        struct stat before {};
        ::lstat(lockFile.c_str(), &before);

        ASSERT_EQ(first->claim(), Role::primary) << testCase.name;
        ASSERT_TRUE(first->listen()) << testCase.name;
        SingleApplicationInstance second(folderOf(runtime));
        EXPECT_EQ(second.claim(), Role::secondary) << testCase.name;
        EXPECT_TRUE(served([&] { return second.requestReopen(); })) << testCase.name;
        struct stat status {};
        ASSERT_EQ(::lstat(lockFile.c_str(), &status), 0) << testCase.name;
        EXPECT_TRUE(S_ISREG(status.st_mode) && status.st_uid == ::geteuid()) << testCase.name;
        EXPECT_EQ(status.st_mode & 07777, 0600u) << testCase.name;
        if (testCase.aside.empty()) {
            EXPECT_TRUE(before.st_ino == 0 || before.st_ino == status.st_ino) << testCase.name;
            EXPECT_EQ(log->entries.size(), 0u) << testCase.name;
        } else {
            struct stat kept {};
            ASSERT_EQ(::lstat((lockFile.string() + testCase.aside).c_str(), &kept), 0) << testCase.name;
            EXPECT_EQ(kept.st_ino, before.st_ino) << testCase.name;
            ASSERT_EQ(log->entries.size(), 1u) << testCase.name;
            EXPECT_TRUE(log->entries.front().rendered.contains(QString::fromStdString(testCase.aside)))
                << testCase.name;
        }
        first.reset();
        EXPECT_EQ(SingleApplicationInstance(folderOf(runtime)).claim(), Role::primary)
            << testCase.name << ": the lock goes with its holder";
    }
}

// Two starts that find the same thing in the way take turns to move it: the second looks again
// and leaves alone the lock file the first has made and locked meanwhile.
TEST(SingleApplicationInstanceTests, StartsThatFindTheSameThingInTheWayTakeTurnsToMoveIt)
{
    const TemporaryDirectory runtime;
    SingleApplicationInstance later(folderOf(runtime));
    const std::filesystem::path lockFile = later.lockFilePath().toStdString();
    HostileFile::place(HostileFile::Kind::fifo, lockFile);
    const int folder = ::open(runtime.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    auto role = std::async(std::launch::async, [&] { return later.claim(); });
    EXPECT_EQ(role.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    EXPECT_EQ(typeAt(lockFile), std::filesystem::file_type::fifo) << "moved out of turn";

    std::filesystem::rename(lockFile, lockFile.string() + ".corrupt");
    SingleApplicationInstance first(folderOf(runtime));
    ASSERT_EQ(first.claim(), Role::primary);
    ::close(folder);
    EXPECT_EQ(role.get(), Role::secondary);
    EXPECT_EQ(typeAt(lockFile.string() + ".corrupt-1"), std::filesystem::file_type::not_found);
}

// Without a lock there is no guard: the start runs on its own and the log says why. A lock file
// that could not be opened for want of descriptors is still the lock and stays where it is.
TEST(SingleApplicationInstanceTests, AStartThatCannotLockRunsUnguardedAndSaysWhy)
{
    const TemporaryDirectory temporary;
    {
        const ScopedEnvironmentVariable runtimeFolder("XDG_RUNTIME_DIR", std::nullopt);
        const ScopedEnvironmentVariable missing("TMPDIR", (temporary.path() / "missing").string());
        const auto log = std::make_shared<RecordingSystemLog>();
        SingleApplicationInstance instance(SingleApplicationInstance::defaultRuntimeDirectory(), log);
        EXPECT_EQ(instance.claim(), Role::unguarded);
        ASSERT_EQ(log->entries.size(), 1u);
        EXPECT_TRUE(log->entries.front().rendered.contains(QStringLiteral("does not exist")));
    }
    const auto log = std::make_shared<RecordingSystemLog>();
    SingleApplicationInstance instance(folderOf(temporary), log);
    SingleApplicationInstance(folderOf(temporary)).claim();
    struct stat before {};
    ASSERT_EQ(::lstat(instance.lockFilePath().toLocal8Bit().constData(), &before), 0);
    {
        const ScopedDescriptorExhaustion noDescriptors;
        EXPECT_EQ(instance.claim(), Role::unguarded);
    }
    EXPECT_EQ(log->entries.size(), 1u);
    struct stat after {};
    ASSERT_EQ(::lstat(instance.lockFilePath().toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(instance.claim(), Role::primary);
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
         {QByteArray("quit\n"), QByteArray("reopen"), QByteArray(4096, 'x'),
          QByteArray("reopen\nreopen\n").mid(1), QByteArray("preview --x"), QByteArray("preview ../x\n"),
          QByteArray("preview --X\n"), QByteArray("preview --x y\n")}) {
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
        {"a link",
         [&](const auto &folder) {
             // To a folder as private as can be, so only the link is wrong.
             const auto target = folder.parent_path() / "private";
             std::filesystem::create_directory(target);
             ::chmod(target.c_str(), 0700);
             std::filesystem::remove(folder);
             std::filesystem::create_directory_symlink(target, folder);
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

// Without a runtime folder of the session, whatever someone else plants at the predictable name in
// the temporary folder, the guard moves to a folder of the user's own cache: one copy runs and a
// second start hands over. The log names the folder that could not be used.
TEST(SingleApplicationInstanceTests, AFolderPlantedInTheTemporaryFolderMovesTheGuardToTheUsersCache)
{
    const TemporaryDirectory temporary;
    const TemporaryDirectory cache;
    const ScopedEnvironmentVariable runtimeFolder("XDG_RUNTIME_DIR", std::nullopt);
    const ScopedEnvironmentVariable temporaryFolder("TMPDIR", temporary.path().string());
    const ScopedEnvironmentVariable cacheFolder("XDG_CACHE_HOME", cache.path().string());
    const auto planted = temporary.path() / ("io.velorn.Pulsegrove-" + std::to_string(::getuid()));
    const QString expected = QString::fromStdString(
        (cache.path() / "Pulsegrove" / ("runtime-" + QSysInfo::machineHostName().toStdString())).string());
    struct Case {
        const char *name;
        std::function<void()> plant;
    };
    const std::vector<Case> cases = {
        {"open to others",
         [&] {
             std::filesystem::create_directory(planted);
             ::chmod(planted.c_str(), 0777);
         }},
        {"a link", [&] { std::filesystem::create_directory_symlink(cache.path(), planted); }},
        // Only root can give a folder away: skipped for anyone else.
        {"another user's",
         [&] {
             std::filesystem::create_directory(planted);
             ::chmod(planted.c_str(), 0700);
             EXPECT_EQ(::chown(planted.c_str(), 4242, 4242), 0);
         }},
    };
    for (const auto &testCase : cases) {
        if (testCase.name == cases.back().name && ::geteuid() != 0)
            continue;
        SCOPED_TRACE(testCase.name);
        std::filesystem::remove_all(planted);
        testCase.plant();
        const auto log = std::make_shared<RecordingSystemLog>();
        const QString folder = SingleApplicationInstance::defaultRuntimeDirectory(log);
        EXPECT_EQ(folder, expected);
        ASSERT_EQ(log->entries.size(), 1u);
        EXPECT_TRUE(log->entries.front().rendered.contains(QString::fromStdString(planted.string())));
        SingleApplicationInstance first(folder);
        ASSERT_EQ(first.claim(), Role::primary);
        ASSERT_TRUE(first.listen());
        SingleApplicationInstance second(SingleApplicationInstance::defaultRuntimeDirectory());
        ASSERT_EQ(second.claim(), Role::secondary);
        EXPECT_TRUE(served([&] { return second.requestReopen(); }));
    }
    EXPECT_EQ(std::filesystem::status(expected.toStdString()).permissions(), std::filesystem::perms::owner_all);
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
            ASSERT_EQ(requested.wait(signalNumber == SIGHUP ? 300 : 2000), signalNumber != SIGHUP)
                << signalNumber;
            if (signalNumber != SIGHUP) {
                EXPECT_EQ(requested.takeFirst().at(0).toInt(), signalNumber);
            }
        }
        TerminationSignalNotifier second;
        EXPECT_FALSE(second.isInstalled()) << "one per process";
    }
    EXPECT_EQ(::signal(SIGHUP, SIG_DFL), SIG_IGN) << "the notifier's end must not undo the ignoring either";
}
