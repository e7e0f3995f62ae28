#include "quota/CancellationError.h"
#include "quota/CodexRateLimitClientError.h"
#include "quota/FileDescriptor.h"
#include "quota/JSONLineReader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace pulsegrove;
using namespace std::chrono_literals;

namespace {

// The read end of a pipe that the test writes into.
class PipeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        m_readEnd.reset(ends[0]);
        m_writeEnd.reset(ends[1]);
    }

    void send(const std::string &bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::write(m_writeEnd.get(), bytes.data() + done, bytes.size() - done);
            ASSERT_GT(count, 0);
            done += static_cast<std::size_t>(count);
        }
    }

    // Writes from another thread, for amounts larger than the pipe holds.
    std::jthread sendInBackground(std::string bytes)
    {
        return std::jthread([this, bytes = std::move(bytes)] { send(bytes); });
    }

    static JSONLineReader::Deadline soon() { return std::chrono::steady_clock::now() + 2s; }

    JSONLineReader reader(std::stop_token stop = {}) { return JSONLineReader(m_readEnd.get(), stop, 20ms); }

    static CodexRateLimitClientError::Case failureOf(JSONLineReader &reader,
                                                     JSONLineReader::Deadline deadline)
    {
        try {
            reader.nextLine(deadline);
        } catch (const CodexRateLimitClientError &error) {
            return error.errorCase();
        }
        ADD_FAILURE() << "nextLine did not fail";
        return CodexRateLimitClientError::Case::launchFailed;
    }

    FileDescriptor m_readEnd;
    FileDescriptor m_writeEnd;
};

using JSONLineReaderTests = PipeFixture;
using Case = CodexRateLimitClientError::Case;

} // namespace

TEST_F(JSONLineReaderTests, LinesLoseTheirFeedAndOneCarriageReturn)
{
    send("first\r\nsecond\n\nthird\r\r\n");
    auto lines = reader();
    EXPECT_EQ(lines.nextLine(soon()), "first");
    EXPECT_EQ(lines.nextLine(soon()), "second");
    EXPECT_EQ(lines.nextLine(soon()), "");
    EXPECT_EQ(lines.nextLine(soon()), "third\r");
    EXPECT_EQ(JSONLineReader::trimmingTrailingCarriageReturn(""), "");
}

TEST_F(JSONLineReaderTests, ALineSplitAcrossWritesIsJoined)
{
    auto lines = reader();
    send("{\"id\":");
    auto writer = std::jthread([this] {
        std::this_thread::sleep_for(30ms);
        send("1}\nnext");
    });
    EXPECT_EQ(lines.nextLine(soon()), "{\"id\":1}");
}

TEST_F(JSONLineReaderTests, BufferedLineIsReturnedEvenAfterTheDeadline)
{
    send("a\nb\n");
    auto lines = reader();
    EXPECT_EQ(lines.nextLine(soon()), "a");
    EXPECT_EQ(lines.nextLine(std::chrono::steady_clock::now() - 1s), "b");
    EXPECT_EQ(failureOf(lines, std::chrono::steady_clock::now() + 30ms), Case::requestTimedOut);
}

TEST_F(JSONLineReaderTests, EndOfFileClosesTheConnectionAndDropsAnUnfinishedLine)
{
    send("whole\npartial");
    m_writeEnd.reset();
    auto lines = reader();
    EXPECT_EQ(lines.nextLine(soon()), "whole");
    EXPECT_EQ(failureOf(lines, soon()), Case::connectionClosed);
}

TEST_F(JSONLineReaderTests, ALineOfExactlyTheLimitIsAcceptedAndOneByteMoreIsNot)
{
    auto lines = reader();
    {
        auto writer = sendInBackground(std::string(JSONLineReader::lineLimit, 'x') + "\n" +
                                       std::string(JSONLineReader::lineLimit + 1, 'y') + "\n");
        EXPECT_EQ(lines.nextLine(soon()).size(), JSONLineReader::lineLimit);
        EXPECT_EQ(failureOf(lines, soon()), Case::malformedResponse);
    }
}

TEST_F(JSONLineReaderTests, FloodWithoutLineFeedFailsWithoutWaitingForOne)
{
    auto lines = reader();
    // The writer keeps its end open: the reader must give up on size alone.
    auto writer = sendInBackground(std::string(JSONLineReader::lineLimit + 1, 'z'));
    EXPECT_EQ(failureOf(lines, soon()), Case::malformedResponse);
}

TEST_F(JSONLineReaderTests, CancellationIsNoticedBeforeAndWhileWaiting)
{
    std::stop_source cancelled;
    cancelled.request_stop();
    send("ready\n");
    auto early = reader(cancelled.get_token());
    EXPECT_THROW(early.nextLine(soon()), CancellationError);

    std::stop_source later;
    auto waiting = JSONLineReader(m_readEnd.get(), later.get_token(), 20ms);
    EXPECT_EQ(waiting.nextLine(soon()), "ready");
    auto canceller = std::jthread([&later] {
        std::this_thread::sleep_for(50ms);
        later.request_stop();
    });
    EXPECT_THROW(waiting.nextLine(std::chrono::steady_clock::now() + 10s), CancellationError);
}
