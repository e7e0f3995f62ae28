#include "quota/CodexRateLimitClientError.h"
#include "quota/FileDescriptor.h"
#include "quota/JSONLineReader.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace pulsegrove;
using namespace std::chrono_literals;
using Case = CodexRateLimitClientError::Case;

namespace {

auto failsWith(Case expected)
{
    return ::testing::Throws<CodexRateLimitClientError>(
        ::testing::Property(&CodexRateLimitClientError::errorCase, expected));
}

// A pipe whose read end the reader under test reads. Deadlines that a test does not wait out are
// generous, so a busy machine cannot turn a slow write into a timeout.
class JSONLineReaderTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        m_readEnd.reset(ends[0]);
        m_writeEnd.reset(ends[1]);
    }

    // From another thread, so that amounts larger than the pipe holds can be sent.
    std::jthread send(std::string bytes)
    {
        return std::jthread([this, bytes = std::move(bytes)] {
            for (std::size_t done = 0; done < bytes.size();) {
                const ssize_t count = ::write(m_writeEnd.get(), bytes.data() + done, bytes.size() - done);
                if (count <= 0)
                    break;
                done += static_cast<std::size_t>(count);
            }
        });
    }

    static JSONLineReader::Deadline later() { return std::chrono::steady_clock::now() + 30s; }

    JSONLineReader reader() { return JSONLineReader(m_readEnd.get(), {}, 20ms); }

    FileDescriptor m_readEnd;
    FileDescriptor m_writeEnd;
};

} // namespace

TEST_F(JSONLineReaderTests, LinesLoseTheirFeedAndOneCarriageReturnAndAnUnfinishedOneIsDropped)
{
    send("first\r\nsecond\n\nthird\r\r\npartial").join();
    auto lines = reader();
    EXPECT_EQ(lines.nextLine(later()), "first");
    EXPECT_EQ(lines.nextLine(later()), "second");
    // Lines already read are handed out even once the deadline has passed.
    const auto passed = std::chrono::steady_clock::now() - 1s;
    EXPECT_EQ(lines.nextLine(passed), "");
    EXPECT_EQ(lines.nextLine(passed), "third\r");
    EXPECT_THAT([&] { lines.nextLine(std::chrono::steady_clock::now() + 30ms); },
                failsWith(Case::requestTimedOut));
    m_writeEnd.reset();
    EXPECT_THAT([&] { lines.nextLine(later()); }, failsWith(Case::connectionClosed));
}

TEST_F(JSONLineReaderTests, ALineOfExactlyTheLimitIsAcceptedAndOneByteMoreIsNot)
{
    auto lines = reader();
    auto writer = send(std::string(JSONLineReader::lineLimit, 'x') + "\n" +
                       std::string(JSONLineReader::lineLimit + 1, 'y') + "\n");
    EXPECT_EQ(lines.nextLine(later()).size(), JSONLineReader::lineLimit);
    EXPECT_THAT([&] { lines.nextLine(later()); }, failsWith(Case::malformedResponse));
}

TEST_F(JSONLineReaderTests, FloodWithoutLineFeedFailsWithoutWaitingForOne)
{
    auto lines = reader();
    // The write end stays open: the reader must give up on size alone.
    auto writer = send(std::string(JSONLineReader::lineLimit + 1, 'z'));
    EXPECT_THAT([&] { lines.nextLine(later()); }, failsWith(Case::malformedResponse));
}
