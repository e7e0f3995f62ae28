#include "quota/ProcessGroup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pulsegrove;

namespace {

// A child leading a group of its own under the given command name, waiting to be killed.
pid_t groupLeaderNamed(const char *name)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_NAME, name);
        for (;;)
            ::pause();
    }
    // Both sides set the group, so it is set whichever runs first.
    ::setpgid(child, child);
    return child;
}

} // namespace

// A running member counts, whatever its command name holds; an exited one that waits to be
// reaped does not.
TEST(ProcessGroupTests, RunningMembersCountAndZombiesDoNot)
{
    for (const char *name : {"helper", "x) Z 1 (y", ") )"}) {
        SCOPED_TRACE(name);
        const pid_t leader = groupLeaderNamed(name);
        ASSERT_GT(leader, 0);
        EXPECT_THAT(ProcessGroup::livingMembers(leader), ::testing::ElementsAre(leader));
        EXPECT_TRUE(ProcessGroup::hasLivingMembers(leader));
        ::kill(leader, SIGKILL);
        siginfo_t info{};
        // Wait for the exit without reaping: the zombie is still a member, but not a living one.
        ASSERT_EQ(::waitid(P_PID, id_t(leader), &info, WEXITED | WNOWAIT), 0);
        EXPECT_THAT(ProcessGroup::livingMembers(leader), ::testing::IsEmpty());
        EXPECT_FALSE(ProcessGroup::hasLivingMembers(leader));
        ::waitpid(leader, nullptr, 0);
        EXPECT_FALSE(ProcessGroup::hasLivingMembers(leader));
    }
}
