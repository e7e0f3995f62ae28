#pragma once

#include "foundation/Clock.h"
#include "foundation/Environment.h"
#include "quota/CodexAppServerProcess.h"
#include "quota/GetAccountRateLimitsResponse.h"
#include "quota/JSONLineReader.h"
#include "quota/QuotaSnapshot.h"

#include <chrono>
#include <future>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <stop_token>
#include <string>

namespace pulsegrove {

// How long the exchange may take. The defaults are the product's; tests shorten them.
struct CodexRateLimitClientTiming {
    std::chrono::duration<double> initializeDeadline{8.0};
    std::chrono::duration<double> rateLimitsDeadline{12.0};
    std::chrono::milliseconds pollSlice{JSONLineReader::defaultPollSlice};
    CodexAppServerProcess::StopTiming stop;
};

// Asks the local `codex` executable for the account's quota: one short-lived app-server child per
// call, no retry, no cache. Failures are CodexRateLimitClientError, CancellationError, a
// std::system_error from writing to the child, or the JSON parser's own exception for a line that
// is not a JSON object or array (nlohmann::json::parse_error; out_of_range for a number too large
// for a double).
class CodexRateLimitClient {
public:
    using Timing = CodexRateLimitClientTiming;

    static constexpr int initializeRequestId = 0;
    static constexpr int rateLimitsRequestId = 1;

    // Without an environment the process environment is read afresh at every call.
    explicit CodexRateLimitClient(std::optional<Environment> environment = std::nullopt,
                                  Timing timing = Timing(), Clock clock = systemClock());

    // Blocking: runs the whole exchange on the calling thread, which must not be a GUI thread.
    QuotaSnapshot fetchSynchronously(std::stop_token stopToken) const;
    // Runs fetchSynchronously() on a thread of its own; the future carries its value or error.
    std::future<QuotaSnapshot> fetch(std::stop_token stopToken = {}) const;

    // The three messages of the exchange, each one compact line with its line feed.
    static std::string initializeMessage();
    static std::string initializedNotification();
    static std::string rateLimitsRequest();

    // Reads lines until the reply with `id` and returns its "result" object.
    static nlohmann::json waitForResponse(int id, JSONLineReader &reader, JSONLineReader::Deadline deadline);
    // Throws malformedResponse when the result is not a rate-limits response.
    static GetAccountRateLimitsResponse decodeResponse(const nlohmann::json &result);

private:
    Environment environment() const;

    std::optional<Environment> m_environment;
    Timing m_timing;
    Clock m_clock;
};

} // namespace pulsegrove
