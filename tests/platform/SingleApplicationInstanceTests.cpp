#include "SingleApplicationInstance.h"
#include "TemporaryDirectory.h"
#include "TerminationSignalNotifier.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
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
bool requestReopenServed(const SingleApplicationInstance &second, int timeoutMs = 3000)
{
    auto answer = std::async(std::launch::async, [&] { return second.requestReopen(timeoutMs); });
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
        EXPECT_TRUE(requestReopenServed(second));
        EXPECT_EQ(reopened.count(), count);
    }

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
        EXPECT_TRUE(requestReopenServed(later)) << testCase.name;
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
    for (const QByteArray &request : {QByteArray("quit\n"), QByteArray("reopen"), QByteArray(4096, 'x'),
                                      QByteArray("reopen\nreopen\n").mid(1)}) {
        QLocalSocket socket;
        socket.connectToServer(first.serverName());
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(request);
        socket.waitForBytesWritten(1000);
        QTest::qWait(50);
        socket.disconnectFromServer();
        QTest::qWait(20);
    }
    EXPECT_EQ(reopened.count(), 0);
}

TEST(TerminationSignalNotifierTests, EachTerminationSignalArrivesInTheEventLoop)
{
    TerminationSignalNotifier notifier;
    ASSERT_TRUE(notifier.isInstalled());
    QSignalSpy requested(&notifier, &TerminationSignalNotifier::terminationRequested);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        ::raise(signalNumber);
        ASSERT_TRUE(requested.wait(2000)) << signalNumber;
        EXPECT_EQ(requested.takeFirst().at(0).toInt(), signalNumber);
    }
    TerminationSignalNotifier second;
    EXPECT_FALSE(second.isInstalled()) << "one per process";
}
