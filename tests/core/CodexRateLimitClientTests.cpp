#include "FakeCodex.h"
#include "foundation/BoundedDisplayText.h"
#include "quota/CancellationError.h"
#include "quota/CodexRateLimitClient.h"
#include "quota/CodexRateLimitClientError.h"
#include "quota/FetchErrorDescription.h"
#include "quota/ProcessGroup.h"

#include <cstring>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <thread>

using namespace pulsegrove;
using namespace std::chrono_literals;
using namespace std::string_literals;
using pulsegrove::testing::FakeCodex;
using Error = CodexRateLimitClientError;
using Script = std::vector<std::string>;
using Seconds = std::chrono::duration<double>;
using nlohmann::json;

namespace {

const Date fetchTime = Date::fromReferenceSeconds(800'000'000.25);

// Deadlines that a test does not wait out are generous, so a busy machine cannot turn a slow child
// into a timeout. Short graces keep the stop paths fast; long ones let any child that leaves at the
// end of its input do so before it is signalled.
CodexRateLimitClient clientFor(const FakeCodex &fake, Seconds initialize = 30s, Seconds rateLimits = 30s,
                               Seconds grace = 0.05s)
{
    CodexRateLimitClient::Timing timing;
    timing.initializeDeadline = initialize;
    timing.rateLimitsDeadline = rateLimits;
    timing.pollSlice = 20ms;
    timing.stop.inputCloseGrace = timing.stop.terminateGrace = grace;
    return CodexRateLimitClient(fake.environment(), timing, [] { return fetchTime; });
}

Script with(Script script, const Script &tail)
{
    script.insert(script.end(), tail.begin(), tail.end());
    return script;
}

const std::string initialize = "send " + FakeCodex::initializeReply();
// Answers "initialize" and reads the notification and the rate-limits request.
const Script upToRateLimits = {"expect", initialize, "expect", "expect"};

} // namespace

// Notifications, other ids, string and boolean ids and arrays are not the reply; an "error" that
// is not an object is ignored. Both replies then come in one write, ending in CR LF.
TEST(CodexRateLimitClientExchangeTests, SendsTheThreeMessagesAndBuildsTheSnapshotFromTheReplyAlone)
{
    FakeCodex fake({"expect", R"(send {"method":"account/updated","params":{}})",
                    R"(send {"id":7,"result":{}})", R"(send {"id":"0","error":{"message":"not for us"}})",
                    R"(send [{"id":0}])", R"(send {"id":true,"error":{}})",
                    R"(raw {"id":0.0,"error":"odd","result":{}}\r\n{"id":1.5,"error":{}}\n)" +
                        FakeCodex::rateLimitsReply(FakeCodex::sampleResult()) + "\\r\\n",
                    "expect", "expect"});
    const auto expected = QuotaSnapshot(
        GetAccountRateLimitsResponse::fromJSON(json::parse(FakeCodex::sampleResult())), fetchTime);
    EXPECT_EQ(clientFor(fake, 30s, 30s, 30s).fetchSynchronously({}), expected);
    EXPECT_EQ(fake.arguments(), (Script{"app-server", "--stdio"}));
    json received = json::array();
    for (const auto &line : fake.receivedLines())
        received.push_back(json::parse(line));
    EXPECT_EQ(received, json::parse(R"([{"id":0,"method":"initialize","params":{
        "clientInfo":{"name":"pulse_grove","title":"Pulse Grove","version":"1.6.0"},
        "capabilities":{"experimentalApi":true}}}, {"method":"initialized"},
        {"id":1,"method":"account/rateLimits/read","params":null}])"));
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientFailureTests, EachFailureHasItsSentenceAndLeavesNoChild)
{
    const std::string malformed = "Codex 返回了无法识别的额度数据。";
    const std::string closed = "Codex 数据服务意外断开。";
    const std::string timedOut = "读取额度超时，请稍后重试。";
    struct Case {
        Script script;
        std::string description;
        std::size_t linesReceived; // at most
        Seconds initializeDeadline = 30s, rateLimitsDeadline = 30s;
    };
    const Case cases[] = {
        // An error on "initialize" ends the call before the rate limits are asked for.
        {{"expect", R"(send {"id":0,"error":{"code":-1,"message":"denied"}})"}, "Codex 返回错误：denied", 1},
        {with(upToRateLimits, {R"(send {"id":1,"error":{"message":7},"result":{"rateLimits":{}}})"}),
         "Codex 返回错误：未知错误", 3},
        {with(upToRateLimits, {R"(send {"id":1,"result":null})"}), malformed, 3},
        {with(upToRateLimits, {R"(send {"id":1,"result":{"rateLimits":{"primary":{}}}})"}), malformed, 3},
        // Exiting at once shows up as a broken pipe on the first write or as end of file on the
        // first read, whichever comes first; a child that closed its input breaks the next write.
        {{"exit 0"}, closed, 0},
        {{"expect", "close-stdin", initialize, "hang"}, closed, 1},
        // Silence after "initialize" runs out its deadline; the rate limits are never asked for.
        {{"expect", "expect", "expect", "hang"}, timedOut, 1, 0.3s},
        // A reply whose id is a string is someone else's.
        {with(upToRateLimits, {R"(send {"id":"1","result":{}})", "hang"}), timedOut, 3, 30s, 0.3s},
    };
    for (const auto &[script, description, linesReceived, initializeDeadline, rateLimitsDeadline] : cases) {
        FakeCodex fake(script);
        EXPECT_THAT([&] { clientFor(fake, initializeDeadline, rateLimitsDeadline).fetchSynchronously({}); },
                    ::testing::Throws<Error>(::testing::Property(&Error::errorDescription, description)))
            << script.back();
        EXPECT_TRUE(fake.ranAndIsGone()) << script.back();
        EXPECT_LE(fake.receivedLines().size(), linesReceived) << script.back();
    }
}

TEST(CodexRateLimitClientFailureTests, LinesThatAreNotJSONObjectsEndTheExchange)
{
    // Arrays are skipped, but not one nested too deeply to parse at a bounded cost: a well-formed
    // one of 65 levels, or the longest line the reader takes made of openings alone.
    const std::string deep = std::string(65, '[') + std::string(65, ']');
    const std::string openings(1024 * 1024 - 1, '[');
    for (const std::string &line : {std::string("starting codex app-server..."), std::string("42"),
                                    std::string("\"text\""), std::string(), deep, openings}) {
        FakeCodex fake({"expect", "send " + line, initialize});
        EXPECT_THROW(clientFor(fake).fetchSynchronously({}), json::parse_error) << line.substr(0, 40);
        EXPECT_TRUE(fake.ranAndIsGone()) << line.substr(0, 40);
    }
    // The parser's diagnostic is for developers; the user reads the platform's sentence, while the
    // client's own errors and other passed-through errors keep their text.
    FakeCodex logLine({"expect", "send starting codex app-server...", initialize});
    try {
        clientFor(logLine).fetchSynchronously({});
        FAIL() << "the call succeeded";
    } catch (const std::exception &error) {
        EXPECT_EQ(FetchErrorDescription::describe(error), "未能读取数据，因为它的格式不正确。");
    }
    EXPECT_EQ(FetchErrorDescription::describe(std::runtime_error("disk on fire")), "disk on fire");
}

// Text from outside is shown on one line of a bounded length, with nothing in it that could steer
// a terminal or reorder the window's text, and is always well-formed UTF-8.
TEST(CodexRateLimitClientFailureTests, OutsideTextIsBoundedAndCleanedForDisplay)
{
    const auto repeated = [](const std::string &piece, std::size_t count) {
        std::string text;
        for (std::size_t index = 0; index < count; ++index)
            text += piece;
        return text;
    };
    const std::string a200(200, 'a');
    const std::string replacement = "\uFFFD";
    const std::pair<std::string, std::string> cases[] = {
        {"\x1b[31mred\x1b[0m", "[31mred[0m"},
        {"a\0b\x7f"
         "c\u0080\u009F"s,
         "abc"},
        {"line\r\nnext\tcell\u0085\u2028end", "line  next cell  end"},
        {"\u202Eevil\u202A\u202B\u202C\u202D\u2066\u2067\u2068\u2069\u200E\u200F\u061C.txt", "evil.txt"},
        {"已拒绝 ✓ 🙂", "已拒绝 ✓ 🙂"},
        // Each ill-formed sequence becomes one U+FFFD without taking the character after it:
        // a stray byte, an overlong form, a surrogate, a value past U+10FFFF, a cut sequence.
        {"\xff!\xc0\xaf!\xed\xa0\x80!\xf4\x90\x80\x80!\xe4\xb8!",
         repeated(replacement, 1) + "!" + repeated(replacement, 2) + "!" + repeated(replacement, 3) + "!" +
             repeated(replacement, 4) + "!" + replacement + "!"},
        {a200, a200},
        {a200 + "b", a200 + "…"},
        {a200 + repeated("\x1b\u202E", 1000), a200},
        {repeated("额", 250), repeated("额", 200) + "…"},
        {repeated("🙂", 250), repeated("🙂", 200) + "…"},
    };
    for (const auto &[text, shown] : cases)
        EXPECT_EQ(BoundedDisplayText::make(text), shown) << text.substr(0, 40);
    EXPECT_EQ(FetchErrorDescription::describe(std::runtime_error(std::string(1000, 'y') + "\x1b")),
              std::string(200, 'y') + "…");
}

// A megabyte of message with escapes, an override and a NUL reaches the user as one bounded line
// whose C string is all of it.
TEST(CodexRateLimitClientFailureTests, AServerMessageIsShownBoundedAndClean)
{
    const std::string message = R"(\u202e\u0000\u001b[2J)" + std::string(1'000'000, 'x');
    FakeCodex fake({"expect", R"(send {"id":0,"error":{"message":")" + message + R"("}})"});
    const std::string expected = "Codex 返回错误：[2J" + std::string(197, 'x') + "…";
    try {
        clientFor(fake).fetchSynchronously({});
        FAIL() << "the call succeeded";
    } catch (const Error &error) {
        EXPECT_EQ(error.errorDescription(), expected);
        EXPECT_EQ(std::strlen(error.what()), expected.size());
        EXPECT_EQ(FetchErrorDescription::describe(error), expected);
    }
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientFailureTests, AnExecutableThatCannotStartIsALaunchFailure)
{
    pulsegrove::testing::TemporaryDirectory folder;
    const auto empty = folder.writeFile("codex", "");
    std::filesystem::permissions(empty, std::filesystem::perms::owner_all);
    const CodexRateLimitClient client(Environment({{"PULSE_GROVE_CODEX_PATH", empty.string()}}));
    EXPECT_THAT([&] { client.fetchSynchronously({}); },
                ::testing::Throws<Error>(::testing::Property(
                    &Error::errorDescription, ::testing::StartsWith("无法启动 Codex 数据服务："))));
}

// A child that leaves at the end of its input is given the time to; one that ignores SIGTERM is killed.
TEST(CodexRateLimitClientStopTests, ChildIsLeftToFinishAtEndOfInputOrElseKilled)
{
    FakeCodex windingDown(with(FakeCodex::answering(), {"drain", "sleep 100"}));
    EXPECT_EQ(clientFor(windingDown, 30s, 30s, 30s).fetchSynchronously({}).planType(), "pro");
    EXPECT_TRUE(windingDown.ranAndIsGone());
    EXPECT_TRUE(std::filesystem::exists(windingDown.path() + ".finished"));

    FakeCodex stubborn(with({"ignore-term"}, with(FakeCodex::answering(), {"hang"})));
    EXPECT_EQ(clientFor(stubborn).fetchSynchronously({}).planType(), "pro");
    EXPECT_TRUE(stubborn.ranAndIsGone());
}

// Signals sent to its first group miss a child that moved to another; it is signalled itself, so
// the fetch ends at its deadline and grace rather than when the child chooses to leave.
TEST(CodexRateLimitClientStopTests, AChildThatLeftItsGroupIsStillStoppedAtTheDeadline)
{
    FakeCodex fake({"leave-group", "ignore-term", "expect", initialize, "expect", "expect", "sleep 20000"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT([&] { clientFor(fake, 30s, 0.3s).fetchSynchronously({}); },
                ::testing::Throws<Error>(::testing::Property(&Error::errorCase, Error::Case::requestTimedOut)));
    // Deadline and graces come to under a second; the bound only tells a stop from a hang.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_TRUE(fake.ranAndIsGone());
}

TEST(CodexRateLimitClientStopTests, CancellationStopsTheChildOrLaunchesNone)
{
    FakeCodex fake({"expect", "hang"});
    std::stop_source source;
    auto future = clientFor(fake).fetch(source.get_token());
    // Cancel only once the child runs, so the reader is the one to notice.
    for (int i = 0; i < 3000 && !fake.pid(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fake.pid());
    source.request_stop();
    EXPECT_THROW(future.get(), CancellationError);
    EXPECT_TRUE(fake.ranAndIsGone());

    FakeCodex untouched(FakeCodex::answering());
    EXPECT_THROW(clientFor(untouched).fetchSynchronously(source.get_token()), CancellationError);
    EXPECT_FALSE(untouched.pid());
}

// The child runs in a process group of its own. Its exit ends the exchange even while a helper it
// started keeps the pipes open, a reply written just before it exits still counts, and nothing of
// the group outlives the call, whether it leaves, is asked to or has to be killed.
TEST(CodexRateLimitClientStopTests, TheChildsExitEndsTheExchangeAndNothingOfItsGroupSurvives)
{
    const std::string closed = "Codex 数据服务意外断开。";
    struct Case {
        std::string description;
        Script script;
        std::optional<std::string> failure;
    };
    const Case cases[] = {
        {"exits before the reply while its helper holds the pipes",
         with({"spawn-helper"}, with(upToRateLimits, {"exit 0"})), closed},
        {"exits right after replying", with({"spawn-helper"}, with(FakeCodex::answering(), {"exit 0"})),
         std::nullopt},
        {"exits right after replying, helper ignoring SIGTERM",
         with({"spawn-helper stubborn"}, with(FakeCodex::answering(), {"exit 0"})), std::nullopt},
        {"hangs beside its helper after replying",
         with({"spawn-helper"}, with(FakeCodex::answering(), {"hang"})), std::nullopt},
    };
    for (const auto &[description, script, failure] : cases) {
        SCOPED_TRACE(description);
        FakeCodex fake(script);
        // A child whose exit went unnoticed would run into this deadline and time out instead.
        const auto client = clientFor(fake, 30s, 5s);
        if (failure)
            EXPECT_THAT([&] { client.fetchSynchronously({}); },
                        ::testing::Throws<Error>(::testing::Property(&Error::errorDescription, *failure)));
        else
            EXPECT_EQ(client.fetchSynchronously({}).planType(), "pro");
        ASSERT_TRUE(fake.pid() && fake.helperPid());
        EXPECT_TRUE(fake.ranAndIsGone());
        EXPECT_TRUE(FakeCodex::stopsRunning(*fake.helperPid()));
        EXPECT_THAT(ProcessGroup::livingMembers(*fake.pid()), ::testing::IsEmpty());
    }
}

// A wrapper script that runs the real program without exec: the program goes with the script.
TEST(CodexRateLimitClientStopTests, AWrapperScriptsProgramIsStoppedWithIt)
{
    pulsegrove::testing::TemporaryDirectory folder;
    folder.writeFile("codex.reply", FakeCodex::initializeReply() + "\n" +
                                        FakeCodex::rateLimitsReply(FakeCodex::sampleResult()) + "\n");
    const auto wrapper = folder.writeFile("codex", "#!/bin/sh\n"
                                                   "echo $$ > \"$0.pid\"\n"
                                                   "cat \"$0.reply\"\n"
                                                   "sleep 7 &\n"
                                                   "echo $! > \"$0.sleeper\"\n"
                                                   "wait\n");
    std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
    CodexRateLimitClient::Timing timing;
    timing.stop.inputCloseGrace = timing.stop.terminateGrace = 0.05s;
    const CodexRateLimitClient client(Environment({{"PULSE_GROVE_CODEX_PATH", wrapper.string()}}), timing);
    EXPECT_EQ(client.fetchSynchronously({}).planType(), "pro");
    const auto pidIn = [&](const std::string &suffix) {
        pid_t process = -1;
        std::ifstream(wrapper.string() + suffix) >> process;
        return process;
    };
    ASSERT_GT(pidIn(".sleeper"), 0);
    EXPECT_TRUE(FakeCodex::stopsRunning(pidIn(".sleeper")));
    EXPECT_THAT(ProcessGroup::livingMembers(pidIn(".pid")), ::testing::IsEmpty());
}
