#include "InterProcessLock.h"
#include "TemporaryDirectory.h"

#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pulsegrove;
using pulsegrove::testing::TemporaryDirectory;

// The lock is exclusive, and it stays with its holder: a program the holder starts (codex) gets
// no copy of it, so when the holder ends the lock is free again however long that program runs.
// Both the single-instance guard and the suite writers rely on this one lock.
TEST(InterProcessLockTests, OnlyOneHolderAtATimeAndNoProgramItStartsKeepsTheLock)
{
    const TemporaryDirectory folder;
    const auto path = folder.path() / "shared.lock";
    auto holder = std::make_unique<InterProcessLock>(path, std::chrono::milliseconds(0));
    ASSERT_TRUE(holder->isLocked());

    const InterProcessLock contender(path, std::chrono::milliseconds(50));
    EXPECT_FALSE(contender.isLocked()) << "two writers both held the lock";
    EXPECT_EQ(contender.error(), EWOULDBLOCK);

    const char *const arguments[] = {"sleep", "30", nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, const_cast<char *const *>(arguments), environ), 0);
    holder.reset();
    // The parent may resume a moment before the new program's descriptors marked close-on-exec
    // are closed: a little patience, far short of the program's run.
    const InterProcessLock next(path, std::chrono::milliseconds(2000));
    EXPECT_TRUE(next.isLocked()) << "the program the holder started kept the lock";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}
