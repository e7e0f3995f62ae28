#pragma once

#include "DesktopSession.h"

#include <gtest/gtest.h>
#include <string>

namespace pulsegrove::testing {

// Tests that need the private desktop. The test program's main starts one session before the
// application object exists (the toolkit reads the display once); each test skips, saying why,
// when this machine lacks the programs, and fails when they are there but the session did not
// start.
class DesktopTest : public ::testing::Test {
public:
    static DesktopSession *session;
    static std::string unavailableReason;
    static std::string startFailure;

protected:
    void SetUp() override
    {
        if (!unavailableReason.empty())
            GTEST_SKIP() << unavailableReason;
        ASSERT_TRUE(session) << "the private desktop did not start: " << startFailure;
    }
};

} // namespace pulsegrove::testing
