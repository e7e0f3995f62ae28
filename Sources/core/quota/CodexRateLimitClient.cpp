#include "quota/CodexRateLimitClient.h"

#include "foundation/BoundedJSONParser.h"
#include "quota/CancellationError.h"
#include "quota/CodexExecutableSearch.h"
#include "quota/CodexRateLimitClientError.h"
#include "quota/DecodingError.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <thread>

namespace pulsegrove {

namespace {

using nlohmann::json;

std::string line(const json &message)
{
    return message.dump() + "\n";
}

JSONLineReader::Deadline deadlineAfter(std::chrono::duration<double> interval)
{
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(interval);
}

// An id matches when it is a JSON number whose value is exactly the wanted integer (1.0 is 1);
// ids given as strings belong to someone else.
bool hasId(const json &message, int id)
{
    if (!message.is_object())
        return false;
    const auto found = message.find("id");
    if (found == message.end() || !found->is_number())
        return false;
    if (found->is_number_float())
        return found->get<double>() == static_cast<double>(id);
    if (found->is_number_unsigned())
        return id >= 0 && found->get<std::uint64_t>() == static_cast<std::uint64_t>(id);
    return found->get<std::int64_t>() == id;
}

// The app server speaks one object per line; arrays are tolerated and skipped, but a bare scalar
// means the stream is not the protocol at all. Replies nest a few levels; a line nested deeper
// than the parser's limit is refused like any other text that is not JSON, before it can cost
// memory.
json parseLine(const std::string &text)
{
    auto parsed = BoundedJSONParser::parse(text);
    if (!parsed.isParsed())
        throw json::parse_error::create(101, 1, parsed.failure, nullptr);
    json message = std::move(parsed.value);
    if (!message.is_object() && !message.is_array())
        throw json::parse_error::create(
            101, 1, "top-level value must be an object or an array, not " + std::string(message.type_name()),
            nullptr);
    return message;
}

json resultOf(json &reply)
{
    if (const auto error = reply.find("error"); error != reply.end() && error->is_object()) {
        const auto message = error->find("message");
        throw CodexRateLimitClientError::serverError(
            message != error->end() && message->is_string() ? message->get<std::string>() : "未知错误");
    }
    if (const auto result = reply.find("result"); result != reply.end() && result->is_object())
        return std::move(*result);
    throw CodexRateLimitClientError::malformedResponse();
}

} // namespace

CodexRateLimitClient::CodexRateLimitClient(std::optional<Environment> environment, Timing timing, Clock clock)
    : m_environment(std::move(environment)), m_timing(timing), m_clock(std::move(clock))
{
}

Environment CodexRateLimitClient::environment() const
{
    return m_environment ? *m_environment : Environment::current();
}

std::string CodexRateLimitClient::initializeMessage()
{
    return line({{"id", initializeRequestId},
                 {"method", "initialize"},
                 {"params",
                  {{"clientInfo", {{"name", "pulse_grove"}, {"title", "Pulse Grove"}, {"version", "1.6.0"}}},
                   {"capabilities", {{"experimentalApi", true}}}}}});
}

std::string CodexRateLimitClient::initializedNotification()
{
    return line({{"method", "initialized"}});
}

std::string CodexRateLimitClient::rateLimitsRequest()
{
    return line({{"id", rateLimitsRequestId}, {"method", "account/rateLimits/read"}, {"params", nullptr}});
}

json CodexRateLimitClient::waitForResponse(int id, JSONLineReader &reader, JSONLineReader::Deadline deadline)
{
    while (std::chrono::steady_clock::now() < deadline) {
        json message = parseLine(reader.nextLine(deadline));
        if (hasId(message, id))
            return resultOf(message);
    }
    throw CodexRateLimitClientError::requestTimedOut();
}

GetAccountRateLimitsResponse CodexRateLimitClient::decodeResponse(const json &result)
{
    try {
        return GetAccountRateLimitsResponse::fromJSON(result);
    } catch (const DecodingError &) {
        throw CodexRateLimitClientError::malformedResponse();
    }
}

QuotaSnapshot CodexRateLimitClient::fetchSynchronously(std::stop_token stopToken) const
{
    // Nothing is started for a request that was cancelled before it began.
    if (stopToken.stop_requested())
        throw CancellationError();
    const auto executable = CodexExecutableSearch::resolveExecutable(environment());
    CodexAppServerProcess process(executable, m_timing.stop);
    JSONLineReader reader(process.outputDescriptor(), std::move(stopToken), m_timing.pollSlice,
                          process.exitDescriptor());

    process.write(initializeMessage());
    waitForResponse(initializeRequestId, reader, deadlineAfter(m_timing.initializeDeadline));
    process.write(initializedNotification());
    process.write(rateLimitsRequest());
    const json result =
        waitForResponse(rateLimitsRequestId, reader, deadlineAfter(m_timing.rateLimitsDeadline));
    const QuotaSnapshot snapshot(decodeResponse(result), m_clock());
    process.stop();
    return snapshot;
}

std::future<QuotaSnapshot> CodexRateLimitClient::fetch(std::stop_token stopToken) const
{
    std::promise<QuotaSnapshot> promise;
    auto future = promise.get_future();
    // A detached thread: the caller never blocks, not even when it drops
    // the future; the thread owns a copy of the client and ends with the exchange.
    std::thread([client = *this, stopToken = std::move(stopToken), promise = std::move(promise)]() mutable {
        try {
            promise.set_value(client.fetchSynchronously(std::move(stopToken)));
        } catch (...) {
            promise.set_exception(std::current_exception());
        }
    }).detach();
    return future;
}

} // namespace pulsegrove
