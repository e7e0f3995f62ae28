#include "FakeCodex.h"
#include "quota/CancellationError.h"
#include "quota/CodexRateLimitClient.h"
#include "quota/CodexRateLimitClientError.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <system_error>
#include <thread>

using namespace pulsegrove;
using namespace std::chrono_literals;
using pulsegrove::testing::FakeCodex;
using Case = CodexRateLimitClientError::Case;
using nlohmann::json;

namespace {

const Date fetchTime = Date::fromReferenceSeconds(800'000'000.25);

// Short graces keep the stop cases fast; deadlines stay generous unless a test waits them out.
CodexRateLimitClient::Timing fastTiming(std::chrono::duration<double> deadline = 5s)
{
    CodexRateLimitClient::Timing timing;
    timing.initializeDeadline = deadline;
    timing.rateLimitsDeadline = deadline;
    timing.pollSlice = 20ms;
    timing.stop.inputCloseGrace = 0.05s;
    timing.stop.terminateGrace = 0.05s;
    return timing;
}

CodexRateLimitClient clientFor(const FakeCodex &fake, std::chrono::duration<double> deadline = 5s)
{
    return CodexRateLimitClient(fake.environment(), fastTiming(deadline), [] { return fetchTime; });
}

QuotaSnapshot fetchFrom(const FakeCodex &fake, std::stop_token stop = {})
{
    return clientFor(fake).fetchSynchronously(std::move(stop));
}

// Runs a call that must fail, and checks its child is gone afterwards.
CodexRateLimitClientError failureFrom(const FakeCodex &fake, std::chrono::duration<double> deadline = 5s)
{
    try {
        clientFor(fake, deadline).fetchSynchronously({});
    } catch (const CodexRateLimitClientError &error) {
        EXPECT_TRUE(fake.ranAndIsGone());
        return error;
    }
    ADD_FAILURE() << "the call succeeded";
    return CodexRateLimitClientError::malformedResponse();
}

std::vector<std::string> with(std::vector<std::string> script, const std::vector<std::string> &tail)
{
    script.insert(script.end(), tail.begin(), tail.end());
    return script;
}

const std::string initialize = "send " + FakeCodex::initializeReply();
const std::string rateLimits = "send " + FakeCodex::rateLimitsReply(FakeCodex::sampleResult());

} // namespace

// Exchange and framing

TEST(CodexRateLimitClientExchangeTests, SendsTheThreeMessagesAndBuildsTheSnapshot)
{
    FakeCodex fake(FakeCodex::answering());
    const auto snapshot = fetchFrom(fake);

    EXPECT_EQ(snapshot.fiveHour(), (RateLimitWindow{25, 300, 1700003600}));
    EXPECT_EQ(snapshot.weekly(), (RateLimitWindow{60, 10080, 1700500000}));
    EXPECT_EQ(snapshot.planType(), "pro");
    EXPECT_EQ(snapshot.fetchedAt(), fetchTime);
    EXPECT_EQ(fake.arguments(), (std::vector<std::string>{"app-server", "--stdio"}));

    const auto received = fake.receivedLines();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(json::parse(received[0]), json::parse(R"({"id":0,"method":"initialize","params":{
        "clientInfo":{"name":"pulse_grove","title":"Pulse Grove","version":"1.6.0"},
        "capabilities":{"experimentalApi":true}}})"));
    EXPECT_EQ(json::parse(received[1]), json::parse(R"({"method":"initialized"})"));
    EXPECT_EQ(json::parse(received[2]),
              json::parse(R"({"id":1,"method":"account/rateLimits/read","params":null})"));
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientExchangeTests, OtherMessagesBeforeTheReplyAreSkipped)
{
    FakeCodex fake({"expect", R"(send {"method":"account/updated","params":{}})",
                    R"(send {"id":7,"result":{}})", R"(send {"id":"0","error":{"message":"not for us"}})",
                    R"(send [{"id":0}])", R"(send {"id":0.0,"result":{}})", "expect", "expect",
                    R"(send {"id":1.5,"error":{}})",
                    "send " + FakeCodex::rateLimitsReply(FakeCodex::sampleResult())});
    EXPECT_EQ(fetchFrom(fake).planType(), "pro");
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientExchangeTests, CarriageReturnsAndTwoRepliesInOneWriteAreHandled)
{
    FakeCodex fake({"expect", "raw " + FakeCodex::initializeReply() + "\\r\\n" +
                                  FakeCodex::rateLimitsReply(FakeCodex::sampleResult()) + "\\r\\n"});
    EXPECT_EQ(fetchFrom(fake).fiveHour()->usedPercent, 25);
    EXPECT_EQ(fake.receivedLines().size(), 3u);
}

TEST(CodexRateLimitClientExchangeTests, ReplyLinesUpToTheLimitAreAccepted)
{
    FakeCodex fake({"expect", "pad 1048576 " + FakeCodex::initializeReply(), "expect", "expect", rateLimits});
    EXPECT_EQ(fetchFrom(fake).planType(), "pro");

    FakeCodex tooLong({"expect", "pad 1048577 " + FakeCodex::initializeReply(), "hang"});
    EXPECT_EQ(failureFrom(tooLong).errorCase(), Case::malformedResponse);
}

TEST(CodexRateLimitClientExchangeTests, FetchHandsBackValuesAndErrorsThroughTheFuture)
{
    FakeCodex fake(FakeCodex::answering());
    EXPECT_EQ(clientFor(fake).fetch().get().weekly()->usedPercent, 60);

    FakeCodex failing({"expect", R"(send {"id":0,"error":{"message":"busy"}})"});
    auto future = clientFor(failing).fetch();
    try {
        future.get();
        FAIL() << "the call succeeded";
    } catch (const CodexRateLimitClientError &error) {
        EXPECT_EQ(error.errorCase(), Case::serverError);
        EXPECT_EQ(error.payload(), "busy");
    }
}

// Failures and deadlines

TEST(CodexRateLimitClientFailureTests, ServerErrorsCarryTheirMessageOrAFallback)
{
    FakeCodex withMessage({"expect", R"(send {"id":0,"error":{"code":-1,"message":"not logged in"}})"});
    const auto error = failureFrom(withMessage);
    EXPECT_EQ(error.errorCase(), Case::serverError);
    EXPECT_STREQ(error.what(), "Codex 返回错误：not logged in");
    // An error on "initialize" ends the call before the rate limits are asked for.
    EXPECT_EQ(withMessage.receivedLines().size(), 1u);

    FakeCodex bothMembers({"expect", initialize, "expect", "expect",
                           R"(send {"id":1,"error":{"message":7},"result":{"rateLimits":{}}})"});
    EXPECT_EQ(failureFrom(bothMembers).errorDescription(), "Codex 返回错误：未知错误");
}

TEST(CodexRateLimitClientFailureTests, AnErrorMemberThatIsNotAnObjectIsIgnored)
{
    FakeCodex fake({"expect", R"(send {"id":0,"error":"odd","result":{}})", "expect", "expect", rateLimits});
    EXPECT_EQ(fetchFrom(fake).planType(), "pro");
}

TEST(CodexRateLimitClientFailureTests, MissingOrUndecodableResultsAreMalformed)
{
    for (const std::string reply : {R"({"id":1,"result":null})", R"({"id":1})", R"({"id":1,"result":[]})",
                                    R"({"id":1,"result":{"rateLimits":{"primary":{}}}})"}) {
        FakeCodex fake({"expect", initialize, "expect", "expect", "send " + reply});
        const auto error = failureFrom(fake);
        EXPECT_EQ(error.errorCase(), Case::malformedResponse) << reply;
        EXPECT_STREQ(error.what(), "Codex 返回了无法识别的额度数据。");
    }
}

TEST(CodexRateLimitClientFailureTests, LinesThatAreNotJSONObjectsEndTheExchange)
{
    for (const std::string line : {"starting codex app-server...", "42", "\"text\"", ""}) {
        FakeCodex fake({"expect", "send " + line, initialize, "hang"});
        EXPECT_THROW(fetchFrom(fake), json::parse_error) << line;
        EXPECT_TRUE(fake.ranAndIsGone()) << line;
    }
}

TEST(CodexRateLimitClientFailureTests, ChildThatExitsAtOnceClosesTheConnection)
{
    FakeCodex fake({"exit 0"});
    try {
        fetchFrom(fake);
        FAIL() << "the call succeeded";
    } catch (const CodexRateLimitClientError &error) {
        // Whether the child is gone before the first write or before the first read, the
        // outcome is the same.
        EXPECT_EQ(error.errorCase(), Case::connectionClosed);
        EXPECT_STREQ(error.what(), "Codex 数据服务意外断开。");
    }
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientFailureTests, WritingToAChildThatStoppedReadingClosesTheConnection)
{
    // The child closes its input before replying, so the next write can only fail; the
    // application survives the broken pipe and reports a closed connection.
    FakeCodex fake({"expect", "close-stdin", initialize, "hang"});
    try {
        fetchFrom(fake);
        FAIL() << "the call succeeded";
    } catch (const CodexRateLimitClientError &error) {
        EXPECT_EQ(error.errorCase(), Case::connectionClosed);
    }
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientFailureTests, SilenceTimesOutBeforeTheRateLimitsAreAsked)
{
    FakeCodex silent({"expect", "hang"});
    const auto error = failureFrom(silent, 0.3s);
    EXPECT_EQ(error.errorCase(), Case::requestTimedOut);
    EXPECT_STREQ(error.what(), "读取额度超时，请稍后重试。");
    EXPECT_EQ(silent.receivedLines().size(), 1u);

    // A reply whose id is a string is someone else's: the wait runs out.
    FakeCodex stringId({"expect", initialize, "expect", "expect", R"(send {"id":"1","result":{}})", "hang"});
    EXPECT_EQ(failureFrom(stringId, 0.3s).errorCase(), Case::requestTimedOut);
}

TEST(CodexRateLimitClientFailureTests, AnExecutableThatCannotStartIsALaunchFailure)
{
    pulsegrove::testing::TemporaryDirectory folder;
    const auto empty = folder.writeFile("codex", "");
    std::filesystem::permissions(empty, std::filesystem::perms::owner_all);
    const CodexRateLimitClient client(Environment({{"PULSE_GROVE_CODEX_PATH", empty.string()}}),
                                      fastTiming());
    try {
        client.fetchSynchronously({});
        FAIL() << "the call succeeded";
    } catch (const CodexRateLimitClientError &error) {
        EXPECT_EQ(error.errorCase(), Case::launchFailed);
        EXPECT_EQ(error.errorDescription(), "无法启动 Codex 数据服务：" + error.payload());
        EXPECT_FALSE(error.payload().empty());
    }
}

// Stopping the child and cancellation

TEST(CodexRateLimitClientStopTests, ChildThatLingersAfterItsInputClosesIsTerminated)
{
    FakeCodex fake(with(FakeCodex::answering(), {"hang"}));
    EXPECT_EQ(fetchFrom(fake).planType(), "pro");
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientStopTests, ChildThatIgnoresTerminationIsKilled)
{
    FakeCodex fake(with({"ignore-term"}, with(FakeCodex::answering(), {"hang"})));
    EXPECT_EQ(fetchFrom(fake).planType(), "pro");
    EXPECT_TRUE(fake.ranAndIsGone());

    FakeCodex failing({"ignore-term", "expect", R"(send {"id":0,"error":{}})", "hang"});
    EXPECT_EQ(failureFrom(failing).errorCase(), Case::serverError);
}

TEST(CodexRateLimitClientStopTests, ChildThatIgnoresTerminationButLeavesAtEndOfInputIsNotKilled)
{
    FakeCodex fake(with({"ignore-term"}, FakeCodex::answering()));
    EXPECT_EQ(fetchFrom(fake).planType(), "pro");
    EXPECT_TRUE(fake.ranAndIsGone());
    // It read its input to the end, which only happens when it was left to exit on its own.
    EXPECT_EQ(fake.receivedLines().size(), 3u);
}

TEST(CodexRateLimitClientStopTests, CancellationWhileWaitingStopsTheChild)
{
    FakeCodex fake({"expect", "hang"});
    std::stop_source source;
    auto future = clientFor(fake).fetch(source.get_token());
    // Cancel only once the child runs, so the reader is the one to notice.
    for (int i = 0; i < 500 && !fake.pid(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fake.pid());
    source.request_stop();
    EXPECT_THROW(future.get(), CancellationError);
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientStopTests, CancelledBeforeStartingLaunchesNothing)
{
    FakeCodex fake(FakeCodex::answering());
    std::stop_source source;
    source.request_stop();
    EXPECT_THROW(fetchFrom(fake, source.get_token()), CancellationError);
    EXPECT_FALSE(fake.pid());
}
